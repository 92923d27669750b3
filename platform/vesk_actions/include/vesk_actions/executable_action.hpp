// How the executor sees an action and where it may send it afterwards.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "crdt/document.hpp"
#include "vesk_actions/action_error.hpp"
#include "vesk_actions/encoded_action.hpp"

namespace vesk_actions {

// One action as the executor drives it. The object is usually the typed value itself (or a
// view of it); the executor calls apply exactly once per dispatch.
class ExecutableAction {
 public:
  virtual ~ExecutableAction() = default;

  // A readable description of the value, for diagnostics.
  virtual std::string debug_text() const = 0;
  // Applies the action to the document.
  virtual ActionResult<void> apply(crdt::Document& doc) const = 0;
  // Whether the executor must also hand the encoded action to the transport after applying
  // it. Actions whose whole effect is a document change answer no: the document's own
  // replication carries that change.
  virtual bool needs_transport() const = 0;
};

// Where the executor sends actions that need a transport.
class ActionTransport {
 public:
  virtual ~ActionTransport() = default;

  virtual ActionResult<void> replicate(const EncodedAction& encoded,
                                       std::span<const std::uint8_t> actor) = 0;
  // True when replicate keeps actions inside this process instead of sending them to peers.
  virtual bool is_local() const = 0;
};

// The in-process transport: it keeps what it is given in a list and sends nothing anywhere.
class LocalTransport final : public ActionTransport {
 public:
  struct Delivery {
    EncodedAction encoded;
    std::vector<std::uint8_t> actor;
  };

  ActionResult<void> replicate(const EncodedAction& encoded,
                               std::span<const std::uint8_t> actor) override;
  bool is_local() const override { return true; }

  const std::vector<Delivery>& deliveries() const { return deliveries_; }

 private:
  std::vector<Delivery> deliveries_;
};

}  // namespace vesk_actions
