// The registry of decoders: the way back from an EncodedAction to something the executor can
// run. One decoder per type name.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "vesk_actions/action_error.hpp"
#include "vesk_actions/encoded_action.hpp"
#include "vesk_actions/executable_action.hpp"

namespace vesk_actions {

class ActionDecoder {
 public:
  virtual ~ActionDecoder() = default;
  // May be called any number of times; each call decodes afresh.
  virtual ActionResult<std::unique_ptr<ExecutableAction>> decode(
      std::span<const std::uint8_t> payload) const = 0;
};

class ActionRegistry {
 public:
  // Registers `decoder` under `type_name`. A decoder already registered under that name is
  // replaced and destroyed. A null decoder removes the registration.
  void insert(std::string type_name, std::unique_ptr<ActionDecoder> decoder);

  const ActionDecoder* find(std::string_view type_name) const;
  std::size_t size() const { return decoders_.size(); }

  // The decoder of the action's type applied to its payload; an unknown-type error when no
  // decoder is registered for it.
  ActionResult<std::unique_ptr<ExecutableAction>> decode(const EncodedAction& encoded) const;

 private:
  std::map<std::string, std::unique_ptr<ActionDecoder>, std::less<>> decoders_;
};

}  // namespace vesk_actions
