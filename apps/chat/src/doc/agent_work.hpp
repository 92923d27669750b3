#pragma once
// Agent work inside a message map: the "work" map of the current layout (the state with its
// time, the reasoning and each step's outcome as JSON texts, steps as maps under their ids),
// read back together with the older layouts that earlier versions wrote.

#include <optional>

#include "crdt/document.hpp"
#include "doc/message_records.hpp"

namespace chat::doc {

// Merges the work into the message's "work" map, writing only what differs from what is stored.
// Steps are never deleted; a step map keeps the sequence, resource and label it was created with.
void put_agent_work(crdt::Document& doc, const crdt::ObjId& message, const AgentWork& work);
// The work of a "work" map; none when its state cannot be read.
std::optional<AgentWork> read_agent_work(const crdt::Document& doc, const crdt::ObjId& work);
// The work of a message, whether its "work" key holds a map or the older JSON text.
std::optional<AgentWork> message_agent_work(const crdt::Document& doc, const crdt::ObjId& message);

}  // namespace chat::doc
