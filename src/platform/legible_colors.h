// Colours that stay readable in any palette, light, dark or high-contrast:
// a palette's own choice where it stands out from the background enough,
// otherwise one made from its text and background colours.
#pragma once

#include <QColor>
#include <QPalette>

class QWidget;

namespace cogbook {

// How much two colours differ in lightness, from 1 (alike) to 21 (black on
// white), as accessibility guidelines measure it. FOREGROUND is laid over
// BACKGROUND first when it is translucent.
double contrastRatio(const QColor& foreground, const QColor& background);

// The least contrast kept by hints and by the frame of the focused pane.
inline constexpr double kLegibleContrast = 3.0;

// The frame around the pane that has the keys: the palette's highlight, or
// its text colour where the highlight hardly differs from the background.
QColor focusFrameColor(const QPalette& palette);

// The palette's placeholder colour where it stands out from the background
// enough; otherwise its text colour faded towards the background no further
// than stays legible.
QColor legiblePlaceholderColor(const QPalette& palette);

// The least contrast kept by coloured text beside ordinary text.
inline constexpr double kLegibleTextContrast = 4.5;

// TINT as a text colour on BACKGROUND: TINT itself where it reads, otherwise
// TINT moved towards TEXT (the palette's own text colour, which reads) only
// as far as it must to stand out by kLegibleTextContrast.
QColor legibleTint(const QColor& tint, const QColor& background, const QColor& text);

// Keeps WIDGET's ROLE at the legible placeholder colour of the palette it
// inherits, now and whenever that palette changes.
void keepPlaceholderLegible(QWidget* widget, QPalette::ColorRole role = QPalette::PlaceholderText);

} // namespace cogbook
