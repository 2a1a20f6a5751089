#pragma once

#include "configurator/config_document.h"
#include "vk_config/core_driver.h"
#include "vk_config/outcome.h"
#include "vk_config/request.h"

#include <QDeadlineTimer>
#include <QList>
#include <QString>
#include <QVariant>

class QTextStream;
class VkInterfaceElement;

namespace vk_config {

// The jobs of vk-config on the core, each as the window's user would do it: a scan, or connect to
// one device, do the job, disconnect.
class DeviceJobs
{
public:
    DeviceJobs(CoreDriver &driver, const Request &request, QTextStream &out);

    // What can be checked before a device is contacted (the document of set, the --value syntax, the
    // firmware file of update); a usage outcome when it does not hold.
    Outcome prepare();

    Outcome scan();
    // The request's job on the device with `serial`, connecting with `password`.
    Outcome onDevice(quint32 serial, const QString &password);

private:
    struct Change
    {
        VkInterfaceElement *element = nullptr;
        QVariant data;
    };

    Outcome get();
    Outcome set();
    Outcome run();
    Outcome files();
    Outcome report();
    Outcome update(quint32 serial, const QDeadlineTimer &search, const QDeadlineTimer &deadline);
    Outcome diff();

public:
    // The history of the device with `serial`, read from the data folder (no connection).
    static Outcome history(quint32 serial, const Request &request, QTextStream &out);

private:
    // The document against the connected device's settings and personalization values.
    configurator::ConfigComparison compareDocument() const;

    // The changes the request asks for, each checked against the profile; a usage outcome that names
    // the element for the first one that does not fit.
    Outcome collectChanges(QList<Change> &changes) const;
    Outcome copyOut(const QString &source, quint32 serial, const QString &what);

    VkInterfaceElement *element(int id) const;
    bool isRoot() const;

    CoreDriver &_driver;
    const Request &_request;
    QTextStream &_out;
    QDeadlineTimer _deadline;
    quint32 _serial = 0;
    bool _hasDocument = false;
    configurator::ConfigDocument::Contents _document;
};

} // namespace vk_config
