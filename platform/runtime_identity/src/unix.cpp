#include "runtime_identity/identity.hpp"

namespace runtime_identity::unix {

LoadResult load() {
  return std::optional<Identity>{};
}

}  // namespace runtime_identity::unix
