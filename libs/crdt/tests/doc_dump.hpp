// A canonical text form of a whole document (values, conflicts and object ids) for
// comparing replicas.
#pragma once

#include <string>

#include "crdt/document.hpp"

namespace crdt::testing {

std::string scalar_text(const ScalarValue& v);
std::string dump(const Document& doc, const ObjId& obj = ROOT);

}  // namespace crdt::testing
