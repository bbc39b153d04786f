#include "expr_fixture.h"

#include "core/datetime.h"

namespace exprtest {

std::int32_t DayNo(int y, int m, int d) {
  return static_cast<std::int32_t>(core::EncodeDate(y, m, d)) + core::DateDelta;
}

EngineResult CompileTree(const ExprNode& tree, Table& t, std::unique_ptr<ExprProgram>& out) {
  std::vector<std::uint8_t> blob;
  if (EngineResult r = EncodeTree(tree, blob)) return r;
  return ExprProgram::Compile(blob.data(), blob.size(), t.access, out);
}

}  // namespace exprtest
