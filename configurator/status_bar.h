#pragma once

#include <QColor>
#include <QObject>

// The platform status bar as QML sees it. On this platform there is none: `available` is false
// and colour and theme are only remembered (one pair for the whole process, shared by all items).
class StatusBar : public QObject
{
    Q_OBJECT

public:
    enum Theme {
        Light = 0,
        Dark = 1,
    };
    Q_ENUM(Theme)

    Q_PROPERTY(bool available READ isAvailable CONSTANT)
    Q_PROPERTY(QColor color READ color WRITE setColor)
    Q_PROPERTY(Theme theme READ theme WRITE setTheme)

    explicit StatusBar(QObject *parent = nullptr);

    static bool isAvailable() { return false; }
    static QColor color();
    static void setColor(const QColor &color);
    static Theme theme();
    static void setTheme(Theme theme);
};
