// Configuration documents: a document of a 1000-element device read and compared with the device (what
// Load from file and `vk-config diff` do before anything is shown).
#include "configurator/config_comparison.h"

#include <QJsonDocument>
#include <QLoggingCategory>

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

using E = VkInterfaceElement;
using v_protocol::TSlaveProfile;

namespace {

struct Device
{
    std::vector<std::unique_ptr<E>> owned;
    QList<E *> elements;
    QByteArray document;
};

// 1000 settings of every data type; the document holds each value, every tenth one changed.
const Device &device()
{
    static const Device made = [] {
        Device d;
        const std::vector<std::pair<TSlaveProfile::DataTypes, int>> types { { TSlaveProfile::DataTypes::TInteger, 2 },
            { TSlaveProfile::DataTypes::TUinteger, 4 }, { TSlaveProfile::DataTypes::THexArray, 8 },
            { TSlaveProfile::DataTypes::TString, 20 }, { TSlaveProfile::DataTypes::TEnum, 1 },
            { TSlaveProfile::DataTypes::TBinary, 1 }, { TSlaveProfile::DataTypes::TBitfield, 2 } };
        QList<const E *> shown;
        for (int i = 0; i < 1000; ++i) {
            TSlaveProfile::Element element;
            element.id = quint16(i + 1);
            element.type = TSlaveProfile::Types::SlaveSetting;
            element.editable = TSlaveProfile::Editables::Editable;
            element.nameEn = QStringLiteral("Setting number %1").arg(i);
            element.dataType = types[size_t(i) % types.size()].first;
            element.dataSize = quint16(types[size_t(i) % types.size()].second);
            element.multiplier = i % 3 ? 1 : 10;
            element.enumValues = { QStringLiteral("first"), QStringLiteral("second") };
            auto made = std::make_unique<E>(element);
            made->setValue(QByteArray(element.dataSize, i % 10 ? '\x01' : '\x00'));
            shown.append(made.get());
            d.elements.append(made.get());
            d.owned.push_back(std::move(made));
        }
        v_protocol::TSlaveApplication info;
        info.Name = QStringLiteral("Bench");
        info.Serial = 1;
        d.document = QJsonDocument(configurator::ConfigDocument::make(info, true, shown)).toJson();
        for (E *element : d.elements)
            element->setValue(QByteArray(element->dataSize(), '\x01'));
        return d;
    }();
    return made;
}

void BM_CompareDocumentOf1000Elements(benchmark::State &state)
{
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));
    const Device &d = device();
    v_protocol::TSlaveApplication info;
    int differ = 0;
    for (auto _ : state) {
        configurator::ConfigDocument::Contents contents;
        QString error;
        if (!configurator::ConfigDocument::read(d.document, contents, error))
            state.SkipWithError(qPrintable(error));
        const configurator::ConfigComparison comparison = configurator::ConfigComparison::compare(
            contents, d.elements, [](const E &element) { return element.value(); }, info, true, { E::SlaveSetting });
        differ = comparison.count(configurator::ConfigComparison::Status::Differs);
        benchmark::DoNotOptimize(differ);
    }
    state.counters["differ"] = differ;
    state.counters["document_kB"] = double(d.document.size()) / 1024;
}
BENCHMARK(BM_CompareDocumentOf1000Elements)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
