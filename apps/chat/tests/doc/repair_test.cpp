#include "doc/repair.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "doc_fixture.hpp"

namespace chat::doc {
namespace {

using testing::has_key;
using testing::heads;
using testing::map_at;
using testing::put;

// Appends a message map with an attachment to messages/<channel>; returns the attachment map.
crdt::ObjId add_attachment(crdt::Document& doc, std::string_view channel) {
  crdt::ObjId list = ensure_list(doc, map_at(doc, {"messages"}), channel);
  auto message = doc.insert_object(list, doc.length(list), crdt::ObjType::Map);
  EXPECT_TRUE(message.ok());
  auto attachment = doc.put_object(*message, "attachment", crdt::ObjType::Map);
  EXPECT_TRUE(attachment.ok());
  put(doc, *attachment, "kind", "image");
  return *attachment;
}

crdt::ObjId add_demo_attachment(crdt::Document& doc, std::string_view channel,
                                std::string_view path = "vesk-demo://call-grid") {
  crdt::ObjId attachment = add_attachment(doc, channel);
  put(doc, attachment, "path", path);
  return attachment;
}

bool repaired(const crdt::Document& doc, const crdt::ObjId& attachment, std::string_view path) {
  return doc_get_string(doc, attachment, "blob") == path && !has_key(doc, attachment, "path");
}

TEST(MigrateDemoAttachmentPaths, MovesDemoPathsWhoseBlobIsMissingOrEmpty) {
  crdt::Document doc;
  crdt::ObjId no_blob = add_demo_attachment(doc, "c1");
  crdt::ObjId empty_blob = add_demo_attachment(doc, "c1", "vesk-demo://other");
  put(doc, empty_blob, "blob", "");

  migrate_demo_attachment_paths(doc);
  EXPECT_TRUE(repaired(doc, no_blob, "vesk-demo://call-grid"));
  EXPECT_TRUE(repaired(doc, empty_blob, "vesk-demo://other"));

  auto before = heads(doc);
  migrate_demo_attachment_paths(doc);
  EXPECT_EQ(heads(doc), before) << "a repaired document has nothing left to repair";
}

TEST(MigrateDemoAttachmentPaths, LeavesEverythingElseAlone) {
  struct Case {
    const char* what;
    std::optional<crdt::ScalarValue> blob;
    crdt::ScalarValue path;
  };
  const std::vector<Case> cases = {
      {"non-empty blob", crdt::ScalarValue("abc"), crdt::ScalarValue("vesk-demo://call-grid")},
      {"blob of another kind", crdt::ScalarValue(std::int64_t{0}),
       crdt::ScalarValue("vesk-demo://call-grid")},
      {"file path", std::nullopt, crdt::ScalarValue("/home/me/pic.png")},
      {"demo: address", std::nullopt, crdt::ScalarValue("demo:tile-promotion")},
      {"scheme in upper case", std::nullopt, crdt::ScalarValue("VESK-DEMO://call-grid")},
      {"scheme only in the middle", std::nullopt, crdt::ScalarValue("x-vesk-demo://a")},
      {"path not a string", std::nullopt, crdt::ScalarValue(std::int64_t{1})},
      {"path of 257 bytes", std::nullopt,
       crdt::ScalarValue("vesk-demo://" + std::string(245, 'a'))},
  };
  for (const Case& c : cases) {
    crdt::Document doc;
    crdt::ObjId attachment = add_attachment(doc, "c1");
    if (c.blob) put(doc, attachment, "blob", *c.blob);
    put(doc, attachment, "path", c.path);
    auto before = heads(doc);
    migrate_demo_attachment_paths(doc);
    EXPECT_EQ(heads(doc), before) << c.what;
  }

  crdt::Document boundary;
  std::string longest = "vesk-demo://" + std::string(244, 'a');  // exactly 256 bytes
  crdt::ObjId attachment = add_demo_attachment(boundary, "c1", longest);
  migrate_demo_attachment_paths(boundary);
  EXPECT_TRUE(repaired(boundary, attachment, longest));

  crdt::Document blob_object;
  crdt::ObjId with_map_blob = add_demo_attachment(blob_object, "c1");
  (void)ensure_map(blob_object, with_map_blob, "blob");
  auto before = heads(blob_object);
  migrate_demo_attachment_paths(blob_object);
  EXPECT_EQ(heads(blob_object), before) << "blob holding an object";

  crdt::Document no_messages;
  put(no_messages, crdt::ROOT, "seeded", true);
  before = heads(no_messages);
  migrate_demo_attachment_paths(no_messages);
  EXPECT_EQ(heads(no_messages), before);
}

TEST(MigrateDemoAttachmentPaths, RepairsAtMost32PerRunInScanOrder) {
  crdt::Document doc;
  std::vector<crdt::ObjId> attachments;
  for (int i = 0; i < 40; ++i) attachments.push_back(add_demo_attachment(doc, "c1"));

  migrate_demo_attachment_paths(doc);
  int fixed = 0;
  for (int i = 0; i < 40; ++i) {
    bool done = repaired(doc, attachments[i], "vesk-demo://call-grid");
    EXPECT_EQ(done, i < 32) << i;
    fixed += done;
  }
  EXPECT_EQ(fixed, 32);

  migrate_demo_attachment_paths(doc);
  for (const crdt::ObjId& a : attachments) EXPECT_TRUE(repaired(doc, a, "vesk-demo://call-grid"));
}

TEST(MigrateDemoAttachmentPaths, VisitsAtMost256EntriesAcrossAllChannels) {
  crdt::Document doc;
  // "a" holds 250 plain entries (a scalar among them), "b" six more and then a candidate.
  crdt::ObjId a = ensure_list(doc, map_at(doc, {"messages"}), "a");
  ASSERT_TRUE(doc.insert(a, 0, "not a message").ok());
  for (int i = 1; i < 250; ++i) ASSERT_TRUE(doc.insert_object(a, i, crdt::ObjType::Map).ok());
  for (int i = 0; i < 5; ++i) (void)add_attachment(doc, "b");
  crdt::ObjId last_visited = add_demo_attachment(doc, "b");  // entry 256
  crdt::ObjId beyond = add_demo_attachment(doc, "b");        // entry 257

  migrate_demo_attachment_paths(doc);
  EXPECT_TRUE(repaired(doc, last_visited, "vesk-demo://call-grid"));
  EXPECT_FALSE(repaired(doc, beyond, "vesk-demo://call-grid"));
}

TEST(MigrateDemoAttachmentPaths, VisitsAtMost256ChannelKeysCountingNonLists) {
  crdt::Document doc;
  crdt::ObjId messages = map_at(doc, {"messages"});
  // Keys k000..k254 are scalars (they still count), k255 is the 256th key, k256 the 257th.
  for (int i = 0; i < 255; ++i) {
    char key[8];
    std::snprintf(key, sizeof key, "k%03d", i);
    put(doc, messages, key, std::int64_t{i});
  }
  crdt::ObjId within = add_demo_attachment(doc, "k255");
  crdt::ObjId beyond = add_demo_attachment(doc, "k256");

  migrate_demo_attachment_paths(doc);
  EXPECT_TRUE(repaired(doc, within, "vesk-demo://call-grid"));
  EXPECT_FALSE(repaired(doc, beyond, "vesk-demo://call-grid"));
  EXPECT_EQ(doc_get_string(doc, beyond, "path"), "vesk-demo://call-grid");
}

}  // namespace
}  // namespace chat::doc
