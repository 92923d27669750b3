// The description of one dispatch: which application acts, a readable title of the change and
// the resource it is about. Hosts and surfaces show or record it; the executor names the
// document change after its title.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vesk_actions {

struct ActionApplication {
  std::string id;    // reverse-domain application identifier
  std::string name;  // display name
  bool operator==(const ActionApplication&) const = default;
};

struct ActionTarget {
  std::string text;   // the resource address
  std::string kind;   // the resource kind
  std::string label;  // for display
  bool operator==(const ActionTarget&) const = default;
};

struct ActionContext {
  std::string title;
  // Further resources the change touches besides its target, in the order they were named.
  std::vector<ActionTarget> related;
  std::optional<ActionApplication> application;
  std::optional<ActionTarget> target;

  // This context completed by `other`: every part this one lacks (an empty title, an absent
  // application or target) is taken from `other`; what this one has is kept. The related
  // resources are this context's followed by those of `other` that it does not name yet.
  ActionContext enriched_by(const ActionContext& other) const;

  bool operator==(const ActionContext&) const = default;
};

// A display label for an identifier such as "SendMessage", "set_call_state" or "audio-only":
// the identifier split into words at '_', '-', '.', spaces and case changes ("HTTPServer" is
// "HTTP" and "Server"), words lower-cased except acronyms (two or more capitals), the first
// letter capitalised, words joined by single spaces: "Send message", "Set call state",
// "Audio only", "HTTP server". Only ASCII letters change case; other bytes stay as they are.
// An identifier without any word gives the empty text.
std::string humanize_identifier(std::string_view identifier);

}  // namespace vesk_actions
