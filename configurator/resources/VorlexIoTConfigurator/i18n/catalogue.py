#!/usr/bin/env python3
"""The Russian catalogue of the window against the sources, with lupdate (Qt Linguist tools).

  catalogue.py update [--lupdate PATH]
      brings vorlex_ru.ts up to date: new texts are added as unfinished, texts no longer in the sources
      are marked vanished. Translate the first and delete the second (Qt Linguist, or by hand), then
      run `check`.
  catalogue.py check [--lupdate PATH] --work-dir DIR
      runs the same update on a copy in DIR and fails when a text of the sources has no finished
      translation or the catalogue holds a text the sources no longer have.

The texts are those of the window and of the core that serves it: every .cpp, .h and .qml under
configurator/ and app/, without tests, benchmarks and fuzz targets. vk-config stays English.
"""

import argparse
import pathlib
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ElementTree

HERE = pathlib.Path(__file__).resolve().parent
REPOSITORY = HERE.parents[3]
CATALOGUE = HERE / "vorlex_ru.ts"
SOURCE_FOLDERS = ("configurator", "app")
SKIPPED_FOLDERS = {"tests", "bench", "fuzz"}


def sources():
    found = []
    for folder in SOURCE_FOLDERS:
        for path in (REPOSITORY / folder).rglob("*"):
            relative = path.relative_to(REPOSITORY)
            if path.suffix in (".cpp", ".h", ".qml") and not SKIPPED_FOLDERS.intersection(relative.parts):
                found.append(relative.as_posix())
    return sorted(found)


def run_lupdate(lupdate, catalogue, list_folder):
    # lupdate reads the file list from a file; paths relative to the repository keep the catalogue the
    # same wherever the repository is.
    listing = pathlib.Path(list_folder) / "lupdate-sources.lst"
    listing.write_text("\n".join(sources()) + "\n", encoding="utf-8")
    command = [lupdate, "-I", str(REPOSITORY), "-locations", "none", "-source-language", "en", "-target-language", "ru",
               "@" + str(listing), "-ts", str(catalogue)]
    done = subprocess.run(command, cwd=REPOSITORY, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    print(done.stdout, end="")
    if done.returncode != 0:
        sys.exit("lupdate failed (%d): %s" % (done.returncode, " ".join(command)))


def problems(catalogue):
    """(message count, [(kind, context, source)]) of the catalogue."""
    found = []
    count = 0
    for context in ElementTree.parse(catalogue).getroot().iter("context"):
        name = context.findtext("name")
        for message in context.iter("message"):
            count += 1
            translation = message.find("translation")
            kind = translation.get("type") if translation is not None else "missing"
            texts = [translation.text] if translation is not None else []
            if translation is not None:
                texts += [form.text for form in translation.iter("numerusform")]
            if kind in ("unfinished", "vanished", "obsolete", "missing"):
                found.append((kind, name, message.findtext("source")))
            elif not any(text and text.strip() for text in texts):
                found.append(("empty", name, message.findtext("source")))
    return count, found


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("mode", choices=("update", "check"))
    parser.add_argument("--lupdate", default="/usr/lib/qt6/bin/lupdate")
    parser.add_argument("--work-dir")
    arguments = parser.parse_args()

    if arguments.mode == "update":
        with tempfile.TemporaryDirectory() as listing_folder:
            run_lupdate(arguments.lupdate, CATALOGUE, listing_folder)
        return 0

    if not arguments.work_dir:
        sys.exit("check needs --work-dir")
    work = pathlib.Path(arguments.work_dir)
    shutil.rmtree(work, ignore_errors=True)
    work.mkdir(parents=True)
    copy = work / CATALOGUE.name
    shutil.copyfile(CATALOGUE, copy)
    run_lupdate(arguments.lupdate, copy, work)
    count, found = problems(copy)
    if count == 0:
        sys.exit("The catalogue holds no message")
    if found:
        print("The catalogue is not in step with the sources (run `catalogue.py update`, translate what is"
              " unfinished, delete what vanished):")
        for kind, context, source in found:
            print("  %s: %s: %r" % (kind, context, source))
        return 1
    print("%d messages, every one translated and still in the sources" % count)
    return 0


if __name__ == "__main__":
    sys.exit(main())
