#pragma once

#include "settings/settings.h"

class QWidget;

namespace tekstovar {

// A stored font (colour blue * 65536 + green * 256 + red) shown on a widget,
// and read back from it; an editable combo box's line edit follows.
void ShowFontSettings(QWidget* widget, const TFontSettings& font);
TFontSettings FontSettingsOf(const QWidget* widget);

} // namespace tekstovar
