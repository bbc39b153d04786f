#pragma once
// TFiler: what DefineProperties sees of the form reader and writer. A
// persistent defines extra properties by name with a reader and a writer
// procedure; the filer calls whichever applies.
#include <functional>
#include <string>

#include "core/stream.h"

namespace components {

class TReader;
class TWriter;
class TPersistent;

class TFiler {
public:
    virtual ~TFiler() = default;
    // The object being compared against when writing (nullptr: defaults).
    TPersistent* Ancestor() const { return FAncestor; }
    void SetAncestor(TPersistent* a) { FAncestor = a; }

    virtual void DefineProperty(const std::u16string& name, const std::function<void(TReader&)>& readData,
                                const std::function<void(TWriter&)>& writeData, bool hasData) = 0;
    virtual void DefineBinaryProperty(const std::u16string& name, const std::function<void(core::TStream&)>& readData,
                                      const std::function<void(core::TStream&)>& writeData, bool hasData) = 0;

private:
    TPersistent* FAncestor = nullptr;
};

} // namespace components
