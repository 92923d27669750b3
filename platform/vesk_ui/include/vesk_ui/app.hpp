#pragma once
// The toolkit's application object: what the launch callbacks may reach of the running
// application.

#include <string>

namespace vesk_ui {

class App {
 public:
  explicit App(std::string application_id) : application_id_(std::move(application_id)) {}

  // Reverse-domain name of the application.
  const std::string& application_id() const { return application_id_; }

 private:
  std::string application_id_;
};

}  // namespace vesk_ui
