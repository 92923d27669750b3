#include "vesk_actions/resource.hpp"

#include <algorithm>

namespace vesk_actions {

ActionArgs& ActionArgs::with_text(std::string name, std::string value) {
  auto same = [&](const auto& entry) { return entry.first == name; };
  if (auto it = std::find_if(texts_.begin(), texts_.end(), same); it != texts_.end())
    it->second = std::move(value);
  else
    texts_.emplace_back(std::move(name), std::move(value));
  return *this;
}

std::optional<std::string_view> ActionArgs::text(std::string_view name) const {
  for (const auto& [key, value] : texts_)
    if (key == name) return std::string_view(value);
  return std::nullopt;
}

ActionSpec ActionSpec::destructive() const& {
  ActionSpec copy = *this;
  return std::move(copy).destructive();
}

ActionSpec ActionSpec::destructive() && {
  is_destructive = true;
  return std::move(*this);
}

EncodedAction ActionSpec::invoke(const ActionArgs& args) const {
  if (handler && *handler) return (*handler)(args);
  if (const auto* fixed = std::get_if<EncodedAction>(&invocation)) return *fixed;
  const auto& prompt = std::get<TextPrompt>(invocation);
  if (!prompt.handler || !*prompt.handler) return {};
  return (*prompt.handler)(args.text("value").value_or(std::string_view{}));
}

Resource& Resource::with_action(ActionSpec spec) & {
  actions.push_back(std::move(spec));
  return *this;
}

Resource Resource::with_action(ActionSpec spec) && {
  actions.push_back(std::move(spec));
  return std::move(*this);
}

Resource& Resource::with_child(Resource child) & {
  children.push_back(std::move(child));
  return *this;
}

Resource Resource::with_child(Resource child) && {
  children.push_back(std::move(child));
  return std::move(*this);
}

const ActionSpec* Resource::find_action(std::string_view name) const {
  for (const ActionSpec& spec : actions)
    if (spec.name == name) return &spec;
  return nullptr;
}

}  // namespace vesk_actions
