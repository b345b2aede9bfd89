#pragma once
#include <functional>

namespace tavelapp {

class SkinData;

// Where the parts of a notification window go, from the skin's numbers, the
// fitted artwork's size and the height of the wrapped text. Pure arithmetic;
// the window code measures the text and draws.
class NotifyGeometry {
public:
    struct Input {
        int width = 0;         // W, the skin width
        int headerHeight = 0;  // hH, the header image's height (0 without one)
        int footerHeight = 0;  // fH, the footer image's height (0 without one)
        // Of the body group in use.
        int marginLeft = 0, marginTop = 0, marginRight = 0, marginBottom = 0;
        int textMarginLeft = 0, textMarginTop = 0, textMarginRight = 0, textMarginBottom = 0;
        // Heading placement ([notify-header] text margins).
        int headerTextMarginLeft = 0, headerTextMarginTop = 0, headerTextMarginRight = 0;
        bool hasArtwork = false;
        int artworkWidth = 0, artworkHeight = 0;  // aW, aH: the fitted picture
        int artworkMarginLeft = 0, artworkMarginTop = 0, artworkMarginRight = 0, artworkMarginBottom = 0;
        int objectAlign = 0;    // 0 left of the text, 1 above, 2 right, 3 below; others count as 0
        int artworkVAlign = 0;  // -1 top, 0 middle, 1 bottom
    };

    struct Rect {
        int x = 0, y = 0, width = 0, height = 0;
    };

    struct Result {
        int windowWidth = 0;
        int windowHeight = 0;
        int textAreaWidth = 0;           // TW
        int slotWidth = 0;               // SW
        int slotHeight = 0;              // SH
        int contentHeight = 0;           // CH
        int bodyTop = 0;                 // BT, top of the body content
        int bodyBandTop = 0;             // the body background band: from hH ...
        int bodyBandHeight = 0;          // ... BH high; the footer follows it
        int wrapWidth = 0;               // what the text was measured at
        int textHeight = 0;              // th, as measured
        Rect text;                       // where the body text is drawn (word-wrapped)
        Rect headerText;                 // where the heading is drawn
        int artworkX = 0, artworkY = 0;  // the artwork's top left, drawn at its natural size
    };

    // Called once with the wrap width (TW minus the text margins, never below
    // 0); returns the height of the body text word-wrapped to that width with
    // the group's font (DrawText with DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX).
    using MeasureText = std::function<int(int wrapWidth)>;

    static Result compute(const Input& input, const MeasureText& measureText);

    // The inputs for a skin: its artwork group when the fitted artwork is not
    // empty (both sides above 0), else its body group.
    static Input inputFor(const SkinData& skin, int artworkWidth, int artworkHeight);
};

}  // namespace tavelapp
