#include "controls/font.h"

#include <cmath>

#include "platform/types.h"

namespace controls {

using namespace components;

DEFINE_CLASS(TFont)
    .Property(u"Charset", &TFont::Charset, &TFont::SetCharset).Idents(CharsetIdents)
    .Property(u"Color", &TFont::Color, &TFont::SetColor).Idents(ColorIdents)
    .Property(u"Height", &TFont::Height, &TFont::SetHeight)
    .Property(u"Name", &TFont::Name, &TFont::SetName)
    .Property(u"Size", &TFont::Size, &TFont::SetSize).Stored(false)
    .Property(u"Style", &TFont::Style, &TFont::SetStyle)
END_CLASS

TFont::TFont() = default;

void TFont::Changed()
{
    OnChange(this);
}

void TFont::SetCharset(int v)
{
    if (v != FCharset) {
        FCharset = v;
        Changed();
    }
}

void TFont::SetColor(core::TColor v)
{
    if (v != FColor) {
        FColor = v;
        Changed();
    }
}

void TFont::SetHeight(int v)
{
    if (v != FHeight) {
        FHeight = v;
        Changed();
    }
}

void TFont::SetName(const std::u16string& v)
{
    if (!v.empty() && v != FName) {
        FName = v;
        Changed();
    }
}

void TFont::SetStyle(TFontStyles v)
{
    if (!(v == FStyle)) {
        FStyle = v;
        Changed();
    }
}

int TFont::Size() const
{
    return -platform::MulDiv(FHeight, 72, FPixelsPerInch);
}

void TFont::SetSize(int points)
{
    SetHeight(-platform::MulDiv(points, FPixelsPerInch, 72));
}

bool TFont::Equals(const TFont& o) const
{
    return FCharset == o.FCharset && FColor == o.FColor && FHeight == o.FHeight && FName == o.FName &&
           FStyle == o.FStyle;
}

void TFont::Assign(TPersistent* source)
{
    if (auto* f = dynamic_cast<TFont*>(source)) {
        if (Equals(*f) && FPixelsPerInch == f->FPixelsPerInch)
            return;
        FCharset = f->FCharset;
        FColor = f->FColor;
        FHeight = f->FHeight;
        FName = f->FName;
        FStyle = f->FStyle;
        FPixelsPerInch = f->FPixelsPerInch;
        Changed();
        return;
    }
    TPersistent::Assign(source);
}

platform::Font TFont::Handle() const
{
    platform::FontAttrs s;
    s.Face = FName;
    s.Height = FHeight;
    s.Weight = FStyle.Contains(TFontStyle::fsBold) ? platform::FW_BOLD : platform::FW_NORMAL;
    s.Italic = FStyle.Contains(TFontStyle::fsItalic);
    s.Underline = FStyle.Contains(TFontStyle::fsUnderline);
    s.StrikeOut = FStyle.Contains(TFontStyle::fsStrikeOut);
    s.Charset = FCharset;
    return platform::Font(s);
}

} // namespace controls
