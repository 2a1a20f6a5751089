#include "vk_config/terminal_text.h"

namespace vk_config {

QString printable(const QString &text)
{
    QString result = text;
    for (QChar &c : result) {
        if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format)
            c = QChar(QChar::ReplacementCharacter);
    }
    return result;
}

} // namespace vk_config
