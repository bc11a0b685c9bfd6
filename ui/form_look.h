#pragma once
// What a .ui form can't say on its own: fractional point sizes ("fontPt",
// 9.75), a narrower font where a caption is wider than its label in the
// substitute font ("fontStretch", percent) and back colours ("backColour")
// are dynamic properties in the forms, applied after setupUi. Also the Hangul font the design
// family maps to.

class QWidget;

namespace stepdrive {

// Applies the dynamic properties of `root` and every widget under it.
void applyFormLook(QWidget* root);

// The look of the whole application, set once after the QApplication is
// made: Qt's "Windows" style, which paints a button's back colour exactly as
// it stands (Fusion lightens and desaturates it), and the design font family
// "굴림" mapped to an installed Hangul font.
void applyApplicationLook();

// Centres a top-level window on its screen.
void centreOnScreen(QWidget* window);

enum class Border { Fixed, Sizable };

// What every window does after setupUi: the form look, its border (a fixed
// border has no minimise and maximise buttons) and centring on the screen.
void setUpWindow(QWidget* window, Border border);

} // namespace stepdrive
