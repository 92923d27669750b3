#include "doc/admission.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "doc/message_writers.hpp"
#include "doc/structure_writers.hpp"
#include "doc_fixture.hpp"

namespace chat::doc {
namespace {

using File = Attachment::File;
using Image = Attachment::Image;
using Video = Attachment::Video;
using testing::map_at;
using testing::put;

const std::string kBlob(64, 'a');

// c1 and c2 exist; c1 holds a top-level message "top" and a reply "reply"; c2 holds "other".
crdt::Document admission_fixture() {
  crdt::Document doc;
  put_channel(doc, "c1", "ws", "", "one", "", ChannelKind::Text, 0);
  put_channel(doc, "c2", "ws", "", "two", "", ChannelKind::Text, 1);
  NewMessage top;
  top.author = "u1";
  insert_message(doc, "c1", "top", top);
  NewMessage reply = top;
  reply.parent = "top";
  insert_message(doc, "c1", "reply", reply);
  insert_message(doc, "c2", "other", top);
  return doc;
}

TEST(ValidateSendMessage, ChannelIdAndTextLimits) {
  crdt::Document doc = admission_fixture();
  put(doc, map_at(doc, {"channels"}), "c_str", "not a record");
  (void)map_at(doc, {"voice", "c_voice_only"});
  struct Case {
    const char* what;
    std::string channel;
    std::string id;
    std::size_t text_bytes;
    bool admitted;
  };
  const std::vector<Case> cases = {
      {"plain", "c1", "m_new", 5, true},
      {"empty text", "c1", "m_new", 0, true},
      {"id of 128 bytes", "c1", std::string(128, 'x'), 5, true},
      {"id of 129 bytes", "c1", std::string(129, 'x'), 5, false},
      {"empty id", "c1", "", 5, false},
      {"id with a space", "c1", "m new", 5, false},
      {"id with a full stop", "c1", "m.new", 5, false},
      {"id with letters, digits, _ and -", "c1", "Az09_-", 5, true},
      {"id taken in the same channel", "c1", "top", 5, false},
      {"id taken in another channel", "c1", "other", 5, false},
      {"65,536 bytes", "c1", "m_new", 65536, true},
      {"65,537 bytes", "c1", "m_new", 65537, false},
      {"20,000 three-byte characters", "c1", "m_new", 60000, true},
      {"22,000 three-byte characters", "c1", "m_new", 66000, false},
      {"no channel record", "c_none", "m_new", 5, false},
      {"channel record is a string", "c_str", "m_new", 5, false},
      {"only a voice map", "c_voice_only", "m_new", 5, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(validate_send_message(doc, c.channel, c.id, c.text_bytes, std::nullopt, std::nullopt),
              c.admitted)
        << c.what;
  }
  crdt::Document empty;
  EXPECT_FALSE(validate_send_message(empty, "c1", "m", 0, std::nullopt, std::nullopt));
}

TEST(ValidateSendMessage, AttachmentLimits) {
  crdt::Document doc = admission_fixture();
  const std::string upper_blob(64, 'F');
  struct Case {
    const char* what;
    Attachment attachment;
    bool admitted;
  };
  const std::vector<Case> cases = {
      {"image 16384 x 16384", Attachment{Image{"a.png", kBlob, 16384, 16384}}, true},
      {"image 1 x 1", Attachment{Image{"a.png", kBlob, 1, 1}}, true},
      {"image 0 wide", Attachment{Image{"a.png", kBlob, 0, 10}}, false},
      {"image 0 high", Attachment{Image{"a.png", kBlob, 10, 0}}, false},
      {"image 16385 wide", Attachment{Image{"a.png", kBlob, 16385, 10}}, false},
      {"image 16385 high", Attachment{Image{"a.png", kBlob, 10, 16385}}, false},
      {"video 0 x 0 of 1 byte", Attachment{Video{"v.webm", kBlob, 0, 0, 1}}, true},
      {"video of 32 MiB", Attachment{Video{"v.webm", kBlob, 16384, 16384, 33554432}}, true},
      {"video of 32 MiB + 1", Attachment{Video{"v.webm", kBlob, 10, 10, 33554433}}, false},
      {"video of 0 bytes", Attachment{Video{"v.webm", kBlob, 10, 10, 0}}, false},
      {"video 16385 high", Attachment{Video{"v.webm", kBlob, 10, 16385, 5}}, false},
      {"file of 1 byte", Attachment{File{"f.md", kBlob, 1}}, true},
      {"file of 32 MiB", Attachment{File{"f.md", kBlob, 33554432}}, true},
      {"file of 32 MiB + 1", Attachment{File{"f.md", kBlob, 33554433}}, false},
      {"file of 0 bytes", Attachment{File{"f.md", kBlob, 0}}, false},
      {"upper-case blob", Attachment{File{"f.md", upper_blob, 1}}, true},
      {"blob of 63 digits", Attachment{File{"f.md", std::string(63, 'a'), 1}}, false},
      {"blob of 65 digits", Attachment{File{"f.md", std::string(65, 'a'), 1}}, false},
      {"blob not hex", Attachment{Image{"a.png", std::string(63, 'a') + "g", 1, 1}}, false},
      {"name of 256 bytes", Attachment{File{std::string(256, 'n'), kBlob, 1}}, false},
      {"name of 255 bytes", Attachment{File{std::string(255, 'n'), kBlob, 1}}, true},
      {"empty name", Attachment{Image{"", kBlob, 1, 1}}, false},
      {"name with a tab", Attachment{Video{"a\tb", kBlob, 1, 1, 1}}, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(validate_send_message(doc, "c1", "m_new", 5, std::nullopt, c.attachment), c.admitted)
        << c.what;
  }
}

TEST(ValidateSendMessage, RepliesStayOneLevelDeep) {
  crdt::Document doc = admission_fixture();
  struct Case {
    const char* what;
    std::optional<std::string> parent;
    bool admitted;
  };
  const std::vector<Case> cases = {
      {"no parent", std::nullopt, true},
      {"empty parent", std::string(), true},
      {"reply to a top-level message", "top", true},
      {"reply to a reply", "reply", false},
      {"parent in another channel", "other", true},
      {"parent that does not exist", "m_ghost", true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(validate_send_message(doc, "c1", "m_new", 5, c.parent, std::nullopt), c.admitted)
        << c.what;
  }
}

}  // namespace
}  // namespace chat::doc
