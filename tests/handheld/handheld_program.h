#pragma once
// A program whose record files name every key of the default handheld
// keyboard, and nine departments "DEPT 1" .. "DEPT 9".

#include "keyboard/keyboard_fixture.h"

namespace tramond::test {

inline void writeHandheldRecords(KeyboardProgram& program) {
    program.writeRecords(RecordKind::Correction, 7, [](int n) { return "VOID " + std::to_string(n); });
    program.writeRecords(RecordKind::PbFunction, 5, [](int n) { return "PB " + std::to_string(n); });
    program.writeRecords(RecordKind::Tender, 1, [](int) { return "CASH"; });
    program.writeRecords(RecordKind::Department, 9, [](int n) { return "DEPT " + std::to_string(n); });
}

}  // namespace tramond::test
