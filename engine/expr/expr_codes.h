// Constants of the expression blob: header layout, node classes and
// operators, with their names for diagnostics and tree dumps.
#pragma once

#include <cstdint>

namespace engine::expr {

constexpr std::uint16_t CANEXPRVERSION = 2;
constexpr std::uint16_t CANEXPRSIZE = 10;   // blob header
constexpr std::uint16_t CANHDRSIZE = 8;     // node header: class + operator
constexpr std::uint16_t CANEXPRNODECOUNT_UNCOUNTED = 0xFFFF;

// Limits the reader enforces on every blob.
constexpr int MAXEXPRDEPTH = 200;           // nesting of nodes below the root
constexpr int MAXFUNCARGS = 3;              // arguments of a coFUNC2 node

enum NODEClass : std::uint32_t {
  nodeNULL = 0,
  nodeUNARY = 1,
  nodeBINARY = 2,
  nodeCOMPARE = 3,
  nodeFIELD = 4,
  nodeCONST = 5,
  nodeTUPLE = 6,
  nodeCONTINUE = 7,
  nodeUDF = 8,
  nodeLIST = 9,
  nodeFUNC = 10,
  nodeLISTELEM = 11,
};

enum TCANOperator : std::uint32_t {
  coNOTDEFINED = 0,
  coISBLANK = 1,
  coNOTBLANK = 2,
  coEQ = 3,
  coNE = 4,
  coGT = 5,
  coLT = 6,
  coGE = 7,
  coLE = 8,
  coNOT = 9,
  coAND = 10,
  coOR = 11,
  coTUPLE2 = 12,
  coFIELD2 = 13,
  coCONST2 = 14,
  coMINUS = 15,
  coADD = 16,
  coSUB = 17,
  coMUL = 18,
  coDIV = 19,
  coMOD = 20,
  coREM = 21,
  coSUM = 22,
  coCOUNT = 23,
  coMIN = 24,
  coMAX = 25,
  coAVG = 26,
  coCONT = 27,
  coUDF2 = 28,
  coCONTINUE2 = 29,
  coLIKE = 30,
  coIN = 31,
  coLIST2 = 32,
  coUPPER = 33,
  coLOWER = 34,
  coFUNC2 = 35,
  coLISTELEM2 = 36,
  coASSIGN = 37,
};

constexpr std::uint32_t coLAST = coASSIGN;
constexpr std::uint32_t nodeLAST = nodeLISTELEM;

// "coEQ" ... ; nullptr for values outside the enumeration.
const char* OperatorName(std::uint32_t op) noexcept;
const char* NodeClassName(std::uint32_t cls) noexcept;

inline bool IsRelation(std::uint32_t op) noexcept { return op >= coEQ && op <= coLE; }
inline bool IsArithmetic(std::uint32_t op) noexcept { return op >= coADD && op <= coREM; }

}  // namespace engine::expr
