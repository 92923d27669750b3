#pragma once
// The toolkit's application object: what the launch callbacks may reach of the running
// application.

#include <string>

#include "vesk_actions/registry.hpp"

namespace vesk_ui {

class App {
 public:
  explicit App(std::string application_id) : application_id_(std::move(application_id)) {}
  App(const App&) = delete;
  App& operator=(const App&) = delete;

  // Reverse-domain name of the application.
  const std::string& application_id() const { return application_id_; }

  // The decoders of the action types the application registers.
  vesk_actions::ActionRegistry& action_registry_mut() { return registry_; }
  const vesk_actions::ActionRegistry& action_registry() const { return registry_; }

 private:
  std::string application_id_;
  vesk_actions::ActionRegistry registry_;
};

}  // namespace vesk_ui
