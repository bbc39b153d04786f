#pragma once
// TFont: the persistent font of a control (published as Font, TitleFont, ...).
// Height is in pixels (negative: character height); Size in points follows
// from it at PixelsPerInch.
#include <string>

#include "core/closure.h"
#include "core/color.h"
#include "components/persistent.h"
#include "platform/font.h"

namespace controls {

enum class TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = components::TSet<TFontStyle>;

class TFont : public components::TPersistent {
    DECLARE_CLASS(TFont, components::TPersistent)
public:
    TFont();

    int Charset() const { return FCharset; }
    void SetCharset(int v);
    core::TColor Color() const { return FColor; }
    void SetColor(core::TColor v);
    int Height() const { return FHeight; }
    void SetHeight(int v);
    const std::u16string& Name() const { return FName; }
    void SetName(const std::u16string& v);
    TFontStyles Style() const { return FStyle; }
    void SetStyle(TFontStyles v);
    int Size() const;
    void SetSize(int points);
    int PixelsPerInch() const { return FPixelsPerInch; }
    void SetPixelsPerInch(int v) { FPixelsPerInch = v > 0 ? v : 96; }

    void Assign(components::TPersistent* source) override;
    bool Equals(const TFont& other) const;
    // The platform font of this description.
    platform::Font Handle() const;

    core::Closure<void(components::TObject*)> OnChange;

protected:
    void Changed();

private:
    int FCharset = 1;
    core::TColor FColor = core::clWindowText;
    int FHeight = -11;
    std::u16string FName = u"Tahoma";
    TFontStyles FStyle;
    int FPixelsPerInch = 96;
};

} // namespace controls

DECLARE_ENUM_NAMES(controls::TFontStyle, u"fsBold", u"fsItalic", u"fsUnderline", u"fsStrikeOut");
