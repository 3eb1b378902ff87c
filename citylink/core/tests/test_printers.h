#pragma once
// Readable failure output for the recorded messages of the Prompts double.
#include "foundation/testing/scripted_prompts.h"

#include <ostream>

inline void PrintTo(const RecordedMessage& m, std::ostream* os) {
    *os << "{icon " << static_cast<int>(m.icon) << ", \"" << m.title << "\", \"" << m.text << "\"}";
}
