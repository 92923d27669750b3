#include "doc/seeds.hpp"

#include "doc/access.hpp"
#include "doc/call_writers.hpp"
#include "doc/message_writers.hpp"
#include "doc/people.hpp"
#include "doc/structure_writers.hpp"

namespace chat::doc {

namespace {

// The demo cast. Ids are "u_" and the lower-case given name.
constexpr std::string_view kMe = "u_me";
constexpr std::string_view kMaya = "u_maya";    // P1
constexpr std::string_view kJonas = "u_jonas";  // P2
constexpr std::string_view kPriya = "u_priya";  // P3
constexpr std::string_view kTomas = "u_tomas";  // P4
constexpr std::string_view kLena = "u_lena";    // P5
constexpr std::string_view kMyInitials = "YO";

constexpr std::string_view kParty = "\U0001F389";
constexpr std::string_view kHeart = "\u2764\uFE0F";
constexpr std::string_view kFire = "\U0001F525";
constexpr std::string_view kThumbsUp = "\U0001F44D";
constexpr std::string_view kRocket = "\U0001F680";
constexpr std::string_view kEyes = "\U0001F440";
constexpr std::string_view kWave = "\U0001F44B";

void mark_seeded(crdt::Document& doc) {
  (void)doc.put(crdt::ROOT, "seeded", true);
}

Reaction reaction(std::string_view emoji, std::initializer_list<std::string_view> users) {
  Reaction r{std::string(emoji), {}};
  for (std::string_view u : users) r.users.emplace_back(u);
  return r;
}

NewMessage message(std::string_view author, std::int64_t ts, std::string_view text,
                   std::vector<Reaction> reactions = {}) {
  NewMessage m;
  m.author = std::string(author);
  m.ts = ts;
  m.text = std::string(text);
  m.reactions = std::move(reactions);
  return m;
}

void seed_demo_people(crdt::Document& doc) {
  seed_person(doc, kMe, "You", kMyInitials, 0, PresenceStatus::Online);
  seed_person(doc, kMaya, "Maya Chen", "MC", 1, PresenceStatus::Online);
  seed_person(doc, kJonas, "Jonas Berg", "JB", 2, PresenceStatus::Idle);
  seed_person(doc, kPriya, "Priya Nair", "PN", 3, PresenceStatus::Online);
  seed_person(doc, kTomas, "Tomas Silva", "TS", 5, PresenceStatus::Dnd);
  seed_person(doc, kLena, "Lena Fischer", "LF", 6, PresenceStatus::Offline);
}

void seed_demo_structure(crdt::Document& doc) {
  put_workspace(doc, "ws_acme", "Acme Design", "AD", 0, 0);
  put_workspace(doc, "ws_vesk", "Vesk Core", "VC", 1, 1);
  put_workspace(doc, "ws_jam", "Weekend Jam", "WJ", 3, 2);

  put_category(doc, "cat_acme_main", "ws_acme", "Channels", 0);
  put_category(doc, "cat_acme_voice", "ws_acme", "Voice", 1);
  put_category(doc, "cat_vesk_eng", "ws_vesk", "Engineering", 0);
  put_category(doc, "cat_vesk_voice", "ws_vesk", "Voice", 1);
  put_category(doc, "cat_jam_main", "ws_jam", "Hangout", 0);

  using K = ChannelKind;
  put_channel(doc, "c_general", "ws_acme", "cat_acme_main", "general", "Company-wide announcements",
              K::Text, 0);
  put_channel(doc, "c_crit", "ws_acme", "cat_acme_main", "design-crit",
              "Share work, get sharp feedback", K::Text, 1);
  put_channel(doc, "c_frontend", "ws_acme", "cat_acme_main", "frontend", "ui toolkit + app shells",
              K::Text, 2);
  put_channel(doc, "c_random", "ws_acme", "cat_acme_main", "random", "Off-topic & watercooler",
              K::Text, 3);
  put_channel(doc, "c_standup", "ws_acme", "cat_acme_voice", "Daily Standup", "", K::Voice, 0);
  put_channel(doc, "c_huddle", "ws_acme", "cat_acme_voice", "Design Huddle", "", K::Voice, 1);
  put_channel(doc, "c_kernel", "ws_vesk", "cat_vesk_eng", "kernel", "bootc + immutable base",
              K::Text, 0);
  put_channel(doc, "c_compositor", "ws_vesk", "cat_vesk_eng", "compositor",
              "2D clusters & sandboxing", K::Text, 1);
  put_channel(doc, "c_fssync", "ws_vesk", "cat_vesk_eng", "fs-sync", "iroh projection & hydration",
              K::Text, 2);
  put_channel(doc, "c_releases", "ws_vesk", "cat_vesk_eng", "releases", "ship logs", K::Text, 3);
  put_channel(doc, "c_warroom", "ws_vesk", "cat_vesk_voice", "War Room", "", K::Voice, 0);
  put_channel(doc, "c_ideas", "ws_jam", "cat_jam_main", "ideas", "weekend hacks", K::Text, 0);
  put_channel(doc, "c_music", "ws_jam", "cat_jam_main", "music", "now playing", K::Text, 1);
}

void seed_demo_call(crdt::Document& doc) {
  join_call(doc, "c_huddle", kMaya);
  set_call_state(doc, "c_huddle", kMaya, true, false, false, false);
  join_call(doc, "c_huddle", kJonas);
  set_call_state(doc, "c_huddle", kJonas, false, true, false, false);
  join_call(doc, "c_huddle", kPriya);
  set_call_state(doc, "c_huddle", kPriya, false, false, false, true);
}

void seed_demo_messages(crdt::Document& doc) {
  NewMessage open = message(kMaya, 1782471840,
                            "Morning! Pushed the new call overlay mock \u2014 pulling tiles into a "
                            "2x2 grid reads way calmer than the old filmstrip.",
                            {reaction(kParty, {kMe, kJonas})});
  insert_message(doc, "c_crit", "m_open", open);

  NewMessage concept_frame = message(
      kMaya, 1782471900,
      "Here's the frame \u2014 the host tile keeps the live camera, everyone else collapses to "
      "chips when they're audio-only.",
      {reaction(kHeart, {kMe, kPriya, kJonas}), reaction(kFire, {kTomas})});
  concept_frame.attachment =
      Attachment{Attachment::Image{"call-overlay-v3.png", "vesk-demo://call-grid", 640, 360}};
  insert_message(doc, "c_crit", "m_concept", concept_frame);

  insert_message(doc, "c_crit", "m_me1",
                 message(kMe, 1782472140,
                         "Love it. One ask: can the 'follow the host' affordance live on the host "
                         "tile itself instead of the controls bar?"));

  insert_message(doc, "c_crit", "m_theme",
                 message(kJonas, 1782472560,
                         "+1 \u2014 and we should read every colour from the OS theme so it "
                         "matches whatever the cluster is themed to.",
                         {reaction(kThumbsUp, {kMe, kMaya})}));

  NewMessage notes =
      message(kTomas, 1782473400, "Dropping the transport notes here so they don't get lost.");
  notes.attachment = Attachment{Attachment::File{"moq-over-iroh.md", "demo:moq-over-iroh", 18944}};
  insert_message(doc, "c_crit", "m_notes", notes);

  NewMessage clip =
      message(kPriya, 1782473760,
              "Screen recording of the tile-promotion motion \u2014 this is the feel I'm after:",
              {reaction(kFire, {kMe, kMaya})});
  clip.attachment = Attachment{
      Attachment::Video{"tile-promotion.webm", "demo:tile-promotion", 1280, 720, 6815744}};
  insert_message(doc, "c_crit", "m_clip", clip);

  NewMessage stage = message(
      kPriya, 1782475140,
      "Wired the screen-share stage \u2014 whoever presents gets a big featured tile and everyone "
      "else drops to the filmstrip beneath it. Reads really cleanly.",
      {reaction(kRocket, {kMe, kMaya, kJonas, kTomas}), reaction(kEyes, {kLena})});
  stage.edited = true;
  stage.history = {
      {"Wired up screen-share \u2014 the presenter gets a featured tile, everyone "
       "else goes to a filmstrip.",
       1782475020}};
  insert_message(doc, "c_crit", "m_stage", stage);

  insert_message(doc, "c_crit", "m_me2",
                 message(kMe, 1782475320,
                         "That's the one. Starting a huddle to walk through the grid \u2014 "
                         "jump in."));

  auto reply = [&](std::string_view author, std::int64_t ts, std::string_view text,
                   std::vector<Reaction> reactions = {}) {
    NewMessage m = message(author, ts, text, std::move(reactions));
    m.parent = "m_concept";
    insert_message_with_new_id(doc, "c_crit", m);
  };
  reply(kJonas, 1782472020, "Should the chips show a mic-level ring when someone's talking?");
  reply(kMaya, 1782472080,
        "Yeah \u2014 a thin accent ring that pulses. I'll spec the motion token.",
        {reaction(kThumbsUp, {kMe})});
  reply(kMe, 1782472200, "Perfect, that keeps the audio-only state legible.");

  insert_message_with_new_id(
      doc, "c_general",
      message(kLena, 1782464400,
              "Welcome to Acme Design on Vesk \U0001F44B Channels relate to the workspace you're "
              "standing in \u2014 switch workspaces from the rail on the left.",
              {reaction(kWave, {kMe, kMaya, kJonas})}));
}

}  // namespace

LocalPerson demo_local_person() {
  return {std::string(kMe), "You", std::string(kMyInitials), 0};
}

bool is_seeded(const crdt::Document& doc) {
  return bool_or_false(doc, crdt::ROOT, "seeded");
}

void put_workspace(crdt::Document& doc, std::string_view id, std::string_view name,
                   std::string_view glyph, std::int64_t color_idx, std::uint32_t order) {
  crdt::ObjId w = ensure_map(doc, ensure_map(doc, crdt::ROOT, "workspaces"), id);
  (void)doc.put(w, "name", name);
  (void)doc.put(w, "glyph", glyph);
  (void)doc.put(w, "color_idx", color_idx);
  (void)doc.put(w, "order", static_cast<std::int64_t>(order));
}

void seed_default_workspace(crdt::Document& doc, std::string_view local_id,
                            std::string_view local_name, std::string_view local_initials) {
  if (is_seeded(doc)) return;
  mark_seeded(doc);
  seed_person(doc, local_id, local_name, local_initials, 0, PresenceStatus::Online);
  put_workspace(doc, "ws_home", "My Workspace", "MW", 0, 0);
  put_category(doc, "cat_home_text", "ws_home", "Channels", 0);
  put_category(doc, "cat_home_voice", "ws_home", "Voice", 1);
  put_channel(doc, "c_general", "ws_home", "cat_home_text", "general", "", ChannelKind::Text, 0);
  put_channel(doc, "c_lounge", "ws_home", "cat_home_voice", "Lounge", "", ChannelKind::Voice, 0);
}

void seed_demo_content(crdt::Document& doc) {
  if (is_seeded(doc)) return;
  mark_seeded(doc);
  seed_demo_people(doc);
  seed_demo_structure(doc);
  seed_demo_call(doc);
  seed_demo_messages(doc);
}

}  // namespace chat::doc
