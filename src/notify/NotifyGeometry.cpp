#include "notify/NotifyGeometry.h"

#include <algorithm>
#include <climits>

#include "notify/SkinData.h"

namespace tavelapp {
namespace {

// Skin values are anybody's numbers: add in 64 bits, hand back ints.
int narrow(long long value) {
    return static_cast<int>(std::min<long long>(std::max<long long>(value, INT_MIN), INT_MAX));
}

int imageHeight(const tavel::win::dib::DIB& image) { return image.empty() ? 0 : image.height(); }

}  // namespace

NotifyGeometry::Result NotifyGeometry::compute(const Input& in, const MeasureText& measureText) {
    using ll = long long;
    const bool a = in.hasArtwork;
    const int oa = in.objectAlign >= 0 && in.objectAlign <= 3 ? in.objectAlign : 0;
    const bool sideways = oa == 0 || oa == 2;  // artwork beside the text
    const ll W = in.width, hH = in.headerHeight, fH = in.footerHeight;
    const ll mL = in.marginLeft, mT = in.marginTop, mR = in.marginRight, mB = in.marginBottom;
    const ll tL = in.textMarginLeft, tT = in.textMarginTop, tR = in.textMarginRight, tB = in.textMarginBottom;
    const ll aW = a ? in.artworkWidth : 0, aH = a ? in.artworkHeight : 0;
    const ll aL = in.artworkMarginLeft, aT = in.artworkMarginTop, aR = in.artworkMarginRight,
             aB = in.artworkMarginBottom;

    const ll SW = !a ? 0 : sideways ? aW : W - mR - mL - aR - aL;
    ll TW = W - mR - mL;
    if (sideways && a) TW -= aR + aL + SW;

    Result r;
    const ll wrap = std::max<ll>(TW - tR - tL, 0);
    r.wrapWidth = narrow(wrap);
    const ll th = measureText ? std::max(measureText(r.wrapWidth), 0) : 0;

    const ll t = th + tB + tT;
    const ll CH = !a ? t : sideways ? std::max(t, aH + aB + aT) : t + aH + aB + aT;
    const ll BH = CH + mT + mB;
    const ll BT = hH + mT;
    const ll SH = !a ? 0 : sideways ? CH - aB - aT : aH;
    const ll TX = oa == 0 && a ? mL + tL + aR + aL + SW : mL + tL;
    const ll artworkSlot = a ? aB + aT + SH : 0;
    const ll TY0 = oa == 1 ? artworkSlot + BT + tT : BT + tT;
    const ll TH = sideways ? CH - tB - tT : CH - tB - tT - artworkSlot;
    const ll textY = sideways ? TY0 + (TH - th) / 2 : TY0;
    const ll AL = oa == 2 ? mL + TW + aL : mL + aL;
    const ll AT = oa == 3 ? BT + aT + TH + tB + tT : BT + aT;
    ll artY = AT + (SH - aH) / 2;
    if (in.artworkVAlign == -1) artY = AT;
    if (in.artworkVAlign == 1) artY = AT + SH - aH;

    r.windowWidth = narrow(std::max<ll>(W, 0));
    r.windowHeight = narrow(std::max<ll>(hH + BH + fH, 0));
    r.textAreaWidth = narrow(TW);
    r.slotWidth = narrow(SW);
    r.slotHeight = narrow(SH);
    r.contentHeight = narrow(CH);
    r.bodyTop = narrow(BT);
    r.bodyBandTop = narrow(hH);
    r.bodyBandHeight = narrow(BH);
    r.textHeight = narrow(th);
    r.text = {narrow(TX), narrow(textY), r.wrapWidth, narrow(TH)};
    r.headerText = {in.headerTextMarginLeft, in.headerTextMarginTop,
                    narrow(std::max<ll>(W - in.headerTextMarginRight - in.headerTextMarginLeft, 0)),
                    narrow(mB + mT + CH)};
    r.artworkX = narrow(AL + (SW - aW) / 2);
    r.artworkY = narrow(artY);
    return r;
}

NotifyGeometry::Input NotifyGeometry::inputFor(const SkinData& skin, int artworkWidth, int artworkHeight) {
    Input in;
    in.hasArtwork = artworkWidth > 0 && artworkHeight > 0;
    const SkinData::Group& group = in.hasArtwork ? skin.artworkBody : skin.body;
    in.width = skin.width;
    in.headerHeight = imageHeight(skin.header.background.image);
    in.footerHeight = imageHeight(skin.footer.image);
    in.marginLeft = group.marginLeft;
    in.marginTop = group.marginTop;
    in.marginRight = group.marginRight;
    in.marginBottom = group.marginBottom;
    in.textMarginLeft = group.text.marginLeft;
    in.textMarginTop = group.text.marginTop;
    in.textMarginRight = group.text.marginRight;
    in.textMarginBottom = group.text.marginBottom;
    in.headerTextMarginLeft = skin.header.text.marginLeft;
    in.headerTextMarginTop = skin.header.text.marginTop;
    in.headerTextMarginRight = skin.header.text.marginRight;
    if (in.hasArtwork) {
        in.artworkWidth = artworkWidth;
        in.artworkHeight = artworkHeight;
    }
    in.artworkMarginLeft = skin.artworkMarginLeft;
    in.artworkMarginTop = skin.artworkMarginTop;
    in.artworkMarginRight = skin.artworkMarginRight;
    in.artworkMarginBottom = skin.artworkMarginBottom;
    in.objectAlign = skin.objectAlign;
    in.artworkVAlign = skin.artworkVAlign;
    return in;
}

}  // namespace tavelapp
