// The replicated document library.
#pragma once

#include "crdt/change.hpp"
#include "crdt/document.hpp"
#include "crdt/types.hpp"
