// The toolkit's view of typed dispatches. A request that the toolkit makes against document
// heads it already knows (an automation call, a replayed command) binds the next dispatch to
// those heads; the host then takes them as the "before" heads of that dispatch and reports the
// heads after it, so that the toolkit can answer the request with the change it caused.
#pragma once

#include <optional>
#include <vector>

#include "crdt/document.hpp"

namespace vesk_ui {

using ChangeHashes = std::vector<crdt::ChangeHash>;

class TypedActionHooks {
 public:
  // One dispatch that ran bound to a token; heads_after stays empty until it is reported,
  // which only a successful dispatch does.
  struct BoundDispatch {
    ChangeHashes token;
    std::optional<ChangeHashes> heads_after;
    bool operator==(const BoundDispatch&) const = default;
  };

  // Binds the next typed dispatch to `token`, replacing a binding not used yet.
  void bind_next_dispatch(ChangeHashes token) { binding_ = std::move(token); }
  bool has_binding() const { return binding_.has_value(); }

  // A typed dispatch is about to run on `doc`: answers the bound token and records it as a
  // bound dispatch in flight. The binding is used up either way. A token that names a change
  // the document does not have is stale and answers none.
  std::optional<ChangeHashes> typed_action_before(crdt::Document& doc);

  // A bound dispatch succeeded: records the heads after it on the oldest unreported dispatch
  // bound to `token` (a new entry when none is in flight).
  void report_typed_action(crdt::Document& doc, const ChangeHashes& token,
                           const ChangeHashes& heads_after);

  const std::vector<BoundDispatch>& bound_dispatches() const { return bound_; }
  // Hands the recorded dispatches to the caller and forgets them.
  std::vector<BoundDispatch> take_bound_dispatches();

 private:
  std::optional<ChangeHashes> binding_;
  std::vector<BoundDispatch> bound_;
};

}  // namespace vesk_ui
