#pragma once
// What a .ui form can't say on its own is said by dynamic properties in the
// forms, applied after setupUi:
//   fontPt       a fractional point size (9.75);
//   fontStretch  a narrower font where a caption is wider than its label in
//                the substitute font (percent);
//   backColour   the back colour;
//   windowFont   the window's default font rather than its container's;
//   firstFocus   the control that has the keyboard focus when the window opens.
// Also the application's look: its style and the Hangul font the design
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

// Centres a top-level window, frame included, on the available area of its
// screen; one larger than the area starts at its top left.
void centreOnScreen(QWidget* window);

enum class Border { Fixed, Sizable };

// What every window does after setupUi: the form look, its border (a fixed
// border has no minimise and maximise buttons) and centring on the screen.
// When it is first shown, a window that the screen's scale makes larger than
// the available area, frame included, is drawn at the largest scale that
// fits, and centred once more with its frame known.
void setUpWindow(QWidget* window, Border border);

} // namespace stepdrive
