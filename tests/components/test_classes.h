#pragma once
// Small component classes the component-model tests build trees from.
#include <memory>
#include <string>
#include <vector>

#include "components/collection.h"
#include "components/component.h"
#include "core/closure.h"
#include "core/color.h"
#include "core/variant.h"

namespace testing_components {

using namespace components;

enum class TAlign { alNone, alTop, alBottom, alClient };
enum class TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = TSet<TFontStyle>;

} // namespace testing_components

DECLARE_ENUM_NAMES(testing_components::TAlign, u"alNone", u"alTop", u"alBottom", u"alClient");
DECLARE_ENUM_NAMES(testing_components::TFontStyle, u"fsBold", u"fsItalic", u"fsUnderline", u"fsStrikeOut");

namespace testing_components {

// A sub-object reached through a class property.
class TTestFont : public TPersistent {
    DECLARE_CLASS(TTestFont, TPersistent)
public:
    std::u16string FName = u"Tahoma";
    int32_t FHeight = -11;
    core::TColor FColor = core::clWindowText;
    int32_t FCharset = core::DEFAULT_CHARSET;
    TFontStyles FStyle;
    TPersistent* FOwner = nullptr;

    void Assign(TPersistent* source) override;
    TPersistent* GetOwner() const override { return FOwner; }
};

// A collection item with one property.
class TTestColumn : public TCollectionItem {
    DECLARE_CLASS(TTestColumn, TCollectionItem)
public:
    explicit TTestColumn(TCollection* c) : TCollectionItem(c) {}
    std::u16string FFieldName;
    void Assign(TPersistent* source) override;
};

using TNotifyEvent = core::Closure<void(TObject*)>;

// A component with one property of each kind, a sub-object, a collection and
// a reference to another component kept valid by free notification.
class TTestControl : public TComponent {
    DECLARE_CLASS(TTestControl, TComponent)
public:
    explicit TTestControl(TComponent* owner);
    ~TTestControl() override;

    int32_t Width() const { return FWidth; }
    void SetWidth(int32_t v) { FWidth = v; }
    TTestFont* Font() const { return FFont.get(); }
    TOwnedCollection* Columns() const { return FColumns.get(); }
    TTestControl* Buddy() const { return FBuddy; }
    void SetBuddy(TTestControl* value);

    int32_t FWidth = 0;
    TAlign FAlign = TAlign::alNone;
    bool FVisible = true;
    double FRatio = 0;
    std::u16string FCaption;
    int64_t FBig = 0;
    core::Variant FValue;
    TNotifyEvent FOnClick;
    // Every notification this control received, as "op:name".
    std::vector<std::u16string> Heard;

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    std::unique_ptr<TTestFont> FFont;
    std::unique_ptr<TOwnedCollection> FColumns;
    TTestControl* FBuddy = nullptr;
};

// A form: published fields bound to owned components of the same name, and
// published methods usable as event handlers.
class TTestForm : public TComponent {
    DECLARE_CLASS(TTestForm, TComponent)
public:
    explicit TTestForm(TComponent* owner) : TComponent(owner) {}
    TTestControl* Button1 = nullptr;
    TTestControl* Edit1 = nullptr;
    int Clicks = 0;
    TObject* LastSender = nullptr;
    void Button1Click(TObject* sender)
    {
        ++Clicks;
        LastSender = sender;
    }
    void CountOnly(int) {}
};

} // namespace testing_components
