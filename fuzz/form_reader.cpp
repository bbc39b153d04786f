// libFuzzer target: form descriptions of any shape, through the raw reader
// (and back through the writer) and through TReader into live components.
// Every damaged input must end in a core::Exception, never a crash, a hang
// or an allocation larger than the input justifies.
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "components/classes.h"
#include "components/collection.h"
#include "components/component.h"
#include "components/form_format_tree.h"
#include "components/reader.h"
#include "core/exception.h"

using namespace components;

namespace fuzzform {
enum class TFuzzStyle { fsA, fsB, fsC };
}
DECLARE_ENUM_NAMES(fuzzform::TFuzzStyle, u"fsA", u"fsB", u"fsC");

namespace {

using fuzzform::TFuzzStyle;

class TFuzzSub : public TPersistent {
    DECLARE_CLASS(TFuzzSub, TPersistent)
public:
    int32_t Value = 0;
    std::u16string Text;
};

class TFuzzItem : public TCollectionItem {
    DECLARE_CLASS(TFuzzItem, TCollectionItem)
public:
    using TCollectionItem::TCollectionItem;
    int32_t Value = 0;
    TFuzzSub* Sub() const { return FSub.get(); }

private:
    std::unique_ptr<TFuzzSub> FSub = std::make_unique<TFuzzSub>();
};

class TFuzzComponent : public TComponent {
    DECLARE_CLASS(TFuzzComponent, TComponent)
public:
    explicit TFuzzComponent(TComponent* owner)
        : TComponent(owner), FItems(std::make_unique<TOwnedCollection>(this, TFuzzItem::StaticClass()))
    {
    }
    void ReadState(TReader& reader) override { reader.ReadData(this); }
    TComponent* GetParentComponent() const override { return FParentComp; }
    void SetParentComponent(TComponent* p) override { FParentComp = p; }

    int32_t Color = 0;
    int64_t Big = 0;
    bool Flag = false;
    TFuzzStyle Style = TFuzzStyle::fsA;
    TSet<TFuzzStyle> Styles;
    double Number = 0;
    std::u16string Text;
    core::Variant Any;
    TComponent* Link = nullptr;
    core::Closure<void(TObject*)> OnEvent;
    void Handler(TObject*) {}
    TFuzzSub* Sub() const { return FSub.get(); }
    TCollection* Items() const { return FItems.get(); }
    std::vector<uint8_t> Data;

protected:
    void DefineProperties(TFiler& filer) override
    {
        filer.DefineBinaryProperty(
            u"Data",
            [this](core::TStream& s) {
                Data.resize(static_cast<size_t>(s.Size()));
                s.ReadBuffer(Data.data(), Data.size());
            },
            nullptr, false);
        filer.DefineProperty(u"Left", [this](TReader& r) { SetDesignInfo(r.ReadInteger()); }, nullptr, false);
    }

private:
    TComponent* FParentComp = nullptr;
    std::unique_ptr<TFuzzSub> FSub = std::make_unique<TFuzzSub>();
    std::unique_ptr<TCollection> FItems;
};

DEFINE_CLASS(TFuzzSub)
    .Property(u"Value", &TFuzzSub::Value, &TFuzzSub::Value)
    .Property(u"Text", &TFuzzSub::Text, &TFuzzSub::Text)
END_CLASS

DEFINE_CLASS(TFuzzItem)
    .Factory([](TObject* c) -> TObject* { return new TFuzzItem(static_cast<TCollection*>(c)); })
    .Property(u"Value", &TFuzzItem::Value, &TFuzzItem::Value)
    .Property(u"Sub", &TFuzzItem::Sub, nullptr)
END_CLASS

DEFINE_CLASS(TFuzzComponent)
    .Property(u"Color", &TFuzzComponent::Color, &TFuzzComponent::Color).Idents(ColorIdents)
    .Property(u"Big", &TFuzzComponent::Big, &TFuzzComponent::Big)
    .Property(u"Flag", &TFuzzComponent::Flag, &TFuzzComponent::Flag)
    .Property(u"Style", &TFuzzComponent::Style, &TFuzzComponent::Style)
    .Property(u"Styles", &TFuzzComponent::Styles, &TFuzzComponent::Styles)
    .Property(u"Number", &TFuzzComponent::Number, &TFuzzComponent::Number)
    .Property(u"Text", &TFuzzComponent::Text, &TFuzzComponent::Text)
    .Property(u"Any", &TFuzzComponent::Any, &TFuzzComponent::Any)
    .Property(u"Link", &TFuzzComponent::Link, &TFuzzComponent::Link)
    .Property(u"OnEvent", &TFuzzComponent::OnEvent, &TFuzzComponent::OnEvent)
    .Property(u"Sub", &TFuzzComponent::Sub, nullptr)
    .Property(u"Items", &TFuzzComponent::Items, nullptr)
    .Method(u"Handler", &TFuzzComponent::Handler)
END_CLASS

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool registered = [] {
        RegisterClass(TFuzzComponent::StaticClass());
        return true;
    }();
    (void)registered;

    // Raw tree: what reads must write back to bytes that read to the same tree.
    try {
        core::TBytesView s(data, size);
        TBinaryReader r(s);
        const TRawComponent tree = ReadRawTree(r);
        const auto bytes = RawTreeToBytes(tree);
        core::TBytesView again(bytes.data(), bytes.size());
        TBinaryReader r2(again);
        if (RawTreeToBytes(ReadRawTree(r2)) != bytes)
            std::abort();
    } catch (const core::Exception&) {
    }

    // Live components, with and without the error hook.
    for (bool skipErrors : {false, true}) {
        TFuzzComponent root(nullptr);
        try {
            core::TBytesView s(data, size);
            TReader reader(s);
            if (skipErrors)
                reader.OnError = [](const std::u16string&) { return true; };
            reader.ReadRootComponent(&root);
        } catch (const core::Exception&) {
        }
    }
    RemoveFixupReferences(nullptr, u"");
    return 0;
}
