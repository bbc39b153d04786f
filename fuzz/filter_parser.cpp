// libFuzzer target: arbitrary text as a filter. The parser must either raise
// EDatabaseError or produce a blob that the engine's reader accepts.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/ustring.h"
#include "data/db_error.h"
#include "data/filter/filter_parser.h"
#include "engine/expr/expr_reader.h"

using namespace data;

namespace {

class Fields : public IFilterFieldSource {
 public:
  Fields() {
    const std::pair<const char16_t*, TFieldType> defs[] = {
        {u"codigo", TFieldType::ftInteger}, {u"nome", TFieldType::ftString},   {u"preco", TFieldType::ftFloat},
        {u"nasc", TFieldType::ftDate},      {u"ativo", TFieldType::ftBoolean}, {u"wnome", TFieldType::ftWideString},
        {u"memo", TFieldType::ftMemo},      {u"valor", TFieldType::ftBCD},     {u"quando", TFieldType::ftTimeStamp},
        {u"hora", TFieldType::ftTime},      {u"pequeno", TFieldType::ftSmallint}};
    for (const auto& [name, type] : defs) {
      TFilterFieldInfo f;
      f.FieldNo = static_cast<int>(FFields.size()) + 1;
      f.FieldName = name;
      f.DataType = type;
      f.Size = type == TFieldType::ftBCD ? 2 : 20;
      FFields.push_back(f);
    }
  }
  bool FindField(std::u16string_view name, TFilterFieldInfo& out) const override {
    for (const auto& f : FFields)
      if (core::SameText(f.FieldName, name)) {
        out = f;
        return true;
      }
    return false;
  }
  std::vector<TFilterFieldInfo> AllFields() const override { return FFields; }

 private:
  std::vector<TFilterFieldInfo> FFields;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const Fields fields;
  if (size == 0) return 0;
  // First byte: options; the rest: the text as UTF-8.
  const std::uint8_t flags = data[0];
  TParserOptions po;
  if (flags & 1) po.Include(TParserOption::poExtSyntax);
  if (flags & 2) po.Include(TParserOption::poAggregate);
  if (flags & 4) po.Include(TParserOption::poDefaultExpr);
  TFilterOptions fo;
  if (flags & 8) fo.Include(TFilterOption::foCaseInsensitive);
  if (flags & 16) fo.Include(TFilterOption::foNoPartialCompare);
  const std::u16string text = core::FromUtf8(std::string_view(reinterpret_cast<const char*>(data + 1), size - 1));
  try {
    TExprParser parser(fields, (flags & 32) != 0, nullptr, u"preco", po, fo, u"", (flags & 64) ? u',' : u'.');
    parser.SetExprParams(text, fo, po, u"preco");
    engine::expr::ExprNode tree;
    if (engine::expr::DecodeBlob(parser.FilterData().data(), parser.FilterData().size(), tree) != engine::DBERR_NONE)
      std::abort();  // the parser wrote a blob its own engine refuses
  } catch (const EDatabaseError&) {
  }
  return 0;
}
