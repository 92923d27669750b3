#include "app/message_row.hpp"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <string>
#include <vector>

#include "app/attachment_card.hpp"
#include "app/attachment_sizes.hpp"
#include "app/message_row_parts.hpp"
#include "window_test_support.hpp"

namespace chat::app {
namespace {

using testing::message;

doc::Person person(std::string id, std::string name) {
  doc::Person p;
  p.id = std::move(id);
  p.name = std::move(name);
  p.initials = p.name.substr(0, 2);
  return p;
}

// One row measured and drawn as the list would, with the regions it records.
class RowFrame : public ::testing::Test {
 protected:
  void SetUp() override {
    app_ = chat_app_base();
    app_->bounds = {0, 0, 1280, 800};
    app_->open_thread.reset();
    app_->local_person = {"u_me", "Me", "ME", 1};
    app_->view.current_conversation = "c_test";
    app_->view.workspace_people = {person("u_me", "Me"), person("u_a", "Ann")};
    geometry_.left = 0;
    geometry_.right = 900;
    geometry_.area = {0, 0, 900, 800};
    geometry_.text_x = 70;
    geometry_.text_width = 600;
  }

  MeasuredRow measure(std::size_t index, bool first) {
    const ReplyIndex replies = index_replies(app_->view.messages);
    return measure_message_row(*app_, text_, theme_, geometry_, row_metrics(text_, theme_), replies,
                               index, first);
  }

  std::vector<HitRegion> draw(std::size_t index, bool first = true, double top = 100,
                              Rect clip = {0, 0, 900, 800}) {
    row_ = measure(index, first);
    std::vector<HitRegion> hits;
    vesk_ui::DrawCtx ctx{vesk_ui::Affine::identity(), 1.0, std::chrono::steady_clock::now()};
    draw_message_row(*app_, scene_, text_, theme_, ctx, geometry_, row_, top, clip, hits);
    return hits;
  }

  static std::vector<std::string> names(const std::vector<HitRegion>& hits) {
    std::vector<std::string> out;
    for (const HitRegion& h : hits) out.push_back(hit_target_debug(h.target));
    return out;
  }

  std::unique_ptr<ChatApp> app_;
  vesk_ui::Scene scene_{1280, 800};
  vesk_ui::TextRenderer text_;
  vesk_ui::Theme theme_ = vesk_ui::Theme::dark();
  ListGeometry geometry_;
  MeasuredRow row_;
};

TEST_F(RowFrame, EachPartRecordsItsTargetsInPaintingOrder) {
  doc::ChatMessage m = message("m1", "u_me", 1000, "hello there");
  m.edited = true;
  m.reactions = {{"👍", {"u_a"}}, {"🎉", {"u_me", "u_a"}}};
  m.attachment = doc::Attachment{doc::Attachment::File{"notes.md", std::string(64, 'a'), 10}};
  app_->view.messages = {m, message("r1", "u_a", 1100, "reply", "m1")};
  const std::vector<HitRegion> hits = draw(0);
  ASSERT_EQ(hits.size(), 6u);
  EXPECT_EQ(names(hits), (std::vector<std::string>{
                             hit_target_debug(hit::MessageMenu{"m1"}),
                             hit_target_debug(hit::EditHistory{"m1", {70, hits[1].y0 + 18}}),
                             hit_target_debug(hit::Reaction{"m1", "👍"}),
                             hit_target_debug(hit::Reaction{"m1", "🎉"}),
                             hit_target_debug(hit::AddReaction{"m1", {hits[4].x0, hits[4].y1 + 4}}),
                             hit_target_debug(hit::OpenThread{"m1"}),
                         }));
  // The menu spans the list from the text's top to below it.
  const double text_top = 100 + 14 + row_.row.header_h;
  EXPECT_DOUBLE_EQ(hits[0].x0, geometry_.left);
  EXPECT_DOUBLE_EQ(hits[0].x1, geometry_.right);
  EXPECT_DOUBLE_EQ(hits[0].y0, text_top);
  EXPECT_DOUBLE_EQ(hits[0].y1, text_top + row_.row.text_h + 2);
  // The edited line sits right under the text, the attachment under it, then the chips.
  EXPECT_DOUBLE_EQ(hits[1].x0, 70);
  EXPECT_DOUBLE_EQ(hits[1].y0, hits[0].y1);
  const double chips_top = hits[1].y0 + row_.row.edited_h + row_.row.attachment_h;
  const double chip_h = reaction_row_height(text_, theme_);
  for (int i = 2; i <= 4; ++i) {
    EXPECT_DOUBLE_EQ(hits[i].y0, chips_top) << i;
    EXPECT_DOUBLE_EQ(hits[i].y1, chips_top + chip_h) << i;
  }
  EXPECT_DOUBLE_EQ(hits[2].x0, 70);
  EXPECT_DOUBLE_EQ(hits[3].x0, hits[2].x1 + theme_.spacing);
  EXPECT_DOUBLE_EQ(hits[4].x0, hits[3].x1 + theme_.spacing);
  EXPECT_DOUBLE_EQ(hits[4].x1 - hits[4].x0, 34);
  // The thread box: at most 360 wide, under the chips.
  EXPECT_DOUBLE_EQ(hits[5].x0, 70);
  EXPECT_DOUBLE_EQ(hits[5].x1, 70 + 360);
  EXPECT_DOUBLE_EQ(hits[5].y0, chips_top + row_.row.reactions_h);
  EXPECT_DOUBLE_EQ(hits[5].y1 - hits[5].y0,
                   std::max(text_.line_height(13) + 2 * theme_.spacing, 38.0));
  EXPECT_LE(hits[5].y0 + row_.row.thread_h, 100 + row_.height);
}

TEST_F(RowFrame, OnlyTheLocalUsersMessagesHaveAMenu) {
  app_->self_aliases = {"u_old"};
  struct Case {
    std::string author;
    std::string text;
    bool menu;
  };
  const Case cases[] = {
      {"u_me", "mine", true},
      {"u_old", "written under a former id", true},
      {"u_a", "someone else's", false},
      {"u_me", "", false},  // no text part, so nothing to hang a menu on
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.author + ": " + c.text);
    doc::ChatMessage m = message("m1", c.author, 1000, c.text);
    if (c.text.empty()) {
      m.attachment = doc::Attachment{doc::Attachment::File{"a.txt", std::string(64, 'b'), 1}};
    }
    app_->view.messages = {m};
    const std::vector<HitRegion> hits = draw(0);
    EXPECT_EQ(hits.size(), c.menu ? 1u : 0u);
  }
}

TEST_F(RowFrame, EditControlsShowEvenForAnEmptyText) {
  doc::ChatMessage m = message("m1", "u_me", 1000, "before");
  m.edited = true;
  m.reactions = {{"👍", {"u_a"}}};
  app_->view.messages = {m};
  app_->editing_message = "m1";
  app_->edit_input.set_text("");
  const std::vector<HitRegion> hits = draw(0, /*first=*/false, 50);
  // No menu and no edited line while editing; the chips stay.
  std::vector<std::string> kinds;
  for (const HitRegion& h : hits) kinds.push_back(hit_target_name(h.target));
  ASSERT_EQ(kinds, (std::vector<std::string>{"FocusEdit", "EditSave", "EditCancel", "Reaction",
                                             "AddReaction"}));
  const double c = geometry_.text_x, w = geometry_.text_width;
  const HitRegion& frame = hits[0];
  EXPECT_DOUBLE_EQ(frame.x0, c - 8);
  EXPECT_DOUBLE_EQ(frame.x1, c + w + 8);
  EXPECT_DOUBLE_EQ(frame.y0, 53);
  EXPECT_GE(frame.y1 - frame.y0, 19 + 16);
  const double b = frame.y1 + 2;
  const HitRegion& save = hits[1];
  EXPECT_EQ((std::array{save.x0, save.y0, save.x1, save.y1}),
            (std::array{c + w - 48, b, c + w + 8, b + 24}));
  const HitRegion& cancel = hits[2];
  EXPECT_EQ((std::array{cancel.x0, cancel.y0, cancel.x1, cancel.y1}),
            (std::array{c + w - 118, b, c + w - 56, b + 24}));
  // The input lies over the frame, has the keyboard and says what it is for.
  EXPECT_TRUE(app_->edit_input.focused());
  EXPECT_EQ(app_->edit_input.placeholder(), "Edit message…");
  EXPECT_DOUBLE_EQ(app_->edit_input.rect().x0, c - 10);
  EXPECT_DOUBLE_EQ(app_->edit_input.rect().y1, frame.y1);
  // The chips follow the edit controls.
  EXPECT_DOUBLE_EQ(hits[3].y0, frame.y1 + row_.row.edit_h);
}

TEST_F(RowFrame, RegionsAreCutToTheVisibleList) {
  doc::ChatMessage m = message("m1", "u_me", 1000, "hello");
  m.reactions = {{"👍", {"u_a"}}};
  app_->view.messages = {m};
  // The list shows only down to just inside the chips: the menu is whole, the chips cut, and
  // a clip above the row keeps nothing.
  const MeasuredRow measured = measure(0, true);
  const double chips_top = 100 + 14 + measured.row.header_h + measured.row.text_h + 2;
  std::vector<HitRegion> hits = draw(0, true, 100, {0, 0, 900, chips_top + 5});
  ASSERT_EQ(hits.size(), 3u);
  EXPECT_DOUBLE_EQ(hits[1].y1, chips_top + 5);
  EXPECT_DOUBLE_EQ(hits[2].y1, chips_top + 5);
  hits = draw(0, true, 100, {0, 0, 900, 90});
  EXPECT_TRUE(hits.empty());
}

TEST(ReactionChips, LabelsAndTheLocalUsersOwnReactions) {
  struct Case {
    std::vector<std::string> users;
    std::string label;
    bool own;
  };
  const Case cases[] = {
      {{"u_me"}, "👍  1", true},
      {{"u_a", "u_me", "u_b"}, "👍  3", true},
      {{"u_a"}, "👍  1", false},
      // A reaction left under a former id is drawn as someone else's.
      {{"u_old"}, "👍  1", false},
      {{}, "👍  0", false},
  };
  for (const Case& c : cases) {
    const doc::Reaction reaction{"👍", c.users};
    EXPECT_EQ(reaction_chip_label(reaction), c.label);
    EXPECT_EQ(reacted_by_current_user(reaction, "u_me"), c.own) << c.label;
  }
}

TEST(ThreadBox, ShowsTheFirstThreeDistinctReplyAuthors) {
  std::vector<doc::ChatMessage> messages = {message("p", "u_a", 1)};
  for (const char* author : {"u_b", "u_c", "u_b", "u_d", "u_e", "u_f"}) {
    messages.push_back(message("r" + std::to_string(messages.size()), author, 2, "x", "p"));
  }
  messages.push_back(message("other", "u_z", 3, "x", "q"));
  EXPECT_EQ(thread_box_authors(messages, "p"), (std::vector<std::string>{"u_b", "u_c", "u_d"}));
  EXPECT_EQ(thread_box_authors(messages, "q"), (std::vector<std::string>{"u_z"}));
  EXPECT_TRUE(thread_box_authors(messages, "none").empty());
  EXPECT_EQ(reply_count_label(1), "1 reply");
  EXPECT_EQ(reply_count_label(0), "0 replies");
  EXPECT_EQ(reply_count_label(5), "5 replies");
}

TEST_F(RowFrame, UnknownReplyAuthorsAndAnOpenThreadStillGiveOneThreadTarget) {
  app_->view.messages = {message("p", "u_a", 1000, "parent")};
  for (const char* author : {"u_ghost1", "u_a", "u_ghost2", "u_me", "u_ghost3"}) {
    app_->view.messages.push_back(message(std::string("r_") + author, author, 1100, "x", "p"));
  }
  for (const bool open : {false, true}) {
    if (open) app_->open_thread = "p";
    const std::vector<HitRegion> hits = draw(0);
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_EQ(hits[0].target, HitTarget{hit::OpenThread{"p"}});
  }
}

TEST(AttachmentPreviews, SizesFitTheAvailableWidth) {
  struct Case {
    const char* what;
    PreviewSize size;
    double width, height;
  };
  const Case cases[] = {
      {"0 x 0 image counts as 1 x 1", image_preview_size(0, 0, 500), 210, 210},
      {"wide image", image_preview_size(1600, 400, 500), 380, 95},
      {"narrow list", image_preview_size(1600, 400, 200), 200, 50},
      {"tall image", image_preview_size(300, 600, 500), 105, 210},
      {"video without size at 16:9", video_preview_size(0, 720, 380), 373.3333333333333, 210},
      {"video without size, narrow", video_preview_size(1280, 0, 320), 320, 180},
      {"video with size", video_preview_size(1280, 720, 380), 373.3333333333333, 210},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_NEAR(c.size.width, c.width, 1e-9);
    EXPECT_NEAR(c.size.height, c.height, 1e-9);
  }
  const doc::Attachment file{doc::Attachment::File{"a.pdf", "", 1}};
  const doc::Attachment image{doc::Attachment::Image{"a.png", "", 0, 0}};
  EXPECT_DOUBLE_EQ(attachment_preview_size(file, 500, 1.5).width, 360);
  EXPECT_DOUBLE_EQ(attachment_preview_size(file, 500, 1.5).height, 87);
  EXPECT_DOUBLE_EQ(attachment_block_height(file, 500, 1.5), 87 + 18);
  EXPECT_DOUBLE_EQ(attachment_block_height(image, 500, 1.5), 210 + 36);
}

TEST(AttachmentTexts, FileExtensionsSizesAndCaptions) {
  const std::pair<std::string, std::string> files[] = {
      {"README", "18.5 KB"},    {"notes.md", "MD · 18.5 KB"},     {"backup.tar.gz", "GZ · 18.5 KB"},
      {"trailing.", "18.5 KB"}, {"Photo.JpEg", "JPEG · 18.5 KB"},
  };
  for (const auto& [name, text] : files) EXPECT_EQ(file_detail_text(name, 18944), text) << name;

  const std::pair<std::uint64_t, std::string> sizes[] = {
      {0, "0 B"}, {1023, "1023 B"}, {1024, "1.0 KB"}, {6815744, "6.5 MB"}, {1073741824, "1.0 GB"},
  };
  for (const auto& [count, text] : sizes) EXPECT_EQ(format::bytes(count), text) << count;

  EXPECT_EQ(preview_detail_text(doc::Attachment{doc::Attachment::Image{"a", "", 640, 360}}),
            "640×360");
  EXPECT_EQ(
      preview_detail_text(doc::Attachment{doc::Attachment::Video{"v", "", 1280, 720, 6815744}}),
      "1280×720 · 6.5 MB");
  EXPECT_EQ(preview_detail_text(doc::Attachment{doc::Attachment::Video{"v", "", 0, 720, 2048}}),
            "video · 2.0 KB");
}

TEST(AttachmentTexts, ImagePlaceholderStatus) {
  using vdoc::blobstore::BlobState;
  struct Case {
    std::string blob;
    BlobState state;
    std::string text;
  };
  const std::string id(64, 'a');
  const Case cases[] = {
      {"vesk-demo://call-grid", BlobState::Unavailable, "Loading image…"},
      {id, BlobState::Available, "Decoding image…"},
      {id, BlobState::Loading, "Loading shared image…"},
      {id, BlobState::Unavailable, "Shared image unavailable"},
  };
  for (const Case& c : cases) EXPECT_EQ(image_status_text(c.blob, c.state), c.text) << c.blob;
}

TEST_F(RowFrame, OnlyViewableImagesAreRequestedFromTheImageStore) {
  struct Case {
    std::string blob;
    bool requested;
  };
  const Case cases[] = {
      {"vesk-demo://shared-shot", true},
      {std::string(64, 'c'), true},
      {"demo:something", false},
      {std::string(63, 'c'), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.blob);
    app_ = chat_app_base();
    doc::ChatMessage m = message("m1", "u_a", 1000, "look");
    m.attachment = doc::Attachment{doc::Attachment::Image{"pic.png", c.blob, 620, 400}};
    app_->view.messages = {m};
    draw(0);
    const std::string url = media::attachment_image_url(c.blob);
    ASSERT_TRUE(app_->images.block_until_idle(std::chrono::seconds(10)));
    // A picture the row asked for has been loaded (or found missing); one it refused to ask
    // for is only queued by this look-up.
    EXPECT_EQ(app_->images.get(url).state != vesk_ui::ImageStore::State::Loading, c.requested);
  }
}

}  // namespace
}  // namespace chat::app
