#include "settings/fontwidgets.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLineEdit>

namespace tekstovar {

void ShowFontSettings(QWidget* widget, const TFontSettings& f)
{
    const QString name = QString::fromStdString(f.Name);
    QFont font(name, f.Size);
    // A font the machine lacks ("Courier New" on most Linux desktops) may
    // be drawn in a proportional one, where masks do not line up. The
    // machine's monospace font (by its real name: a list of families takes
    // no alias) stands in; the name stays first, so that FontSettingsOf
    // gives the stored one back.
    if (!QFontDatabase::hasFamily(name))
        font.setFamilies({name, QFontInfo(QFontDatabase::systemFont(QFontDatabase::FixedFont)).family()});
    font.setBold(f.Bold);
    font.setItalic(f.Italic);
    font.setUnderline(f.Underline);
    font.setStrikeOut(f.StrikeOut);
    widget->setFont(font);
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Text, QColor(f.Color & 0xFF, (f.Color >> 8) & 0xFF, (f.Color >> 16) & 0xFF));
    widget->setPalette(palette);
    if (auto* box = qobject_cast<QComboBox*>(widget); box && box->lineEdit())
        box->lineEdit()->setPalette(palette);
}

TFontSettings FontSettingsOf(const QWidget* widget)
{
    const QFont font = widget->font();
    const QColor c = widget->palette().color(QPalette::Text);
    return {font.family().toStdString(), c.blue() * 65536 + c.green() * 256 + c.red(),
        font.pointSize() > 0 ? font.pointSize() : 8, font.bold(), font.italic(), font.underline(), font.strikeOut()};
}

} // namespace tekstovar
