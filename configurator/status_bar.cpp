#include "configurator/status_bar.h"

#include <QMutex>
#include <QMutexLocker>

namespace {

struct SharedLook
{
    QMutex mutex;
    QColor color;
    StatusBar::Theme theme = StatusBar::Light;
};

SharedLook &look()
{
    static SharedLook shared;
    return shared;
}

} // namespace

StatusBar::StatusBar(QObject *parent) : QObject(parent) { }

QColor StatusBar::color()
{
    QMutexLocker lock(&look().mutex);
    return look().color;
}

void StatusBar::setColor(const QColor &color)
{
    QMutexLocker lock(&look().mutex);
    look().color = color;
}

StatusBar::Theme StatusBar::theme()
{
    QMutexLocker lock(&look().mutex);
    return look().theme;
}

void StatusBar::setTheme(Theme theme)
{
    QMutexLocker lock(&look().mutex);
    look().theme = theme;
}
