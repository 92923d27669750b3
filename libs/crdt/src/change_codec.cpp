#include "change_codec.hpp"

#include <algorithm>

#include "byte_io.hpp"

namespace crdt::detail {

namespace {

Error malformed(std::string why) {
  return Error{ErrorCode::Malformed, std::move(why)};
}

}  // namespace

// ---- builder

void ChangeBuilder::begin(std::uint32_t author) {
  for (std::uint32_t a : doc_of_local_) local_of_doc_[a] = -1;
  doc_of_local_.clear();
  op_count_ = 0;
  local_actor(author);
}

std::uint64_t ChangeBuilder::local_actor(std::uint32_t doc_actor) {
  if (doc_actor >= local_of_doc_.size()) local_of_doc_.resize(doc_actor + 1, -1);
  if (local_of_doc_[doc_actor] < 0) {
    local_of_doc_[doc_actor] = static_cast<std::int32_t>(doc_of_local_.size());
    doc_of_local_.push_back(doc_actor);
  }
  return static_cast<std::uint64_t>(local_of_doc_[doc_actor]);
}

void ChangeBuilder::add(OpId obj, bool map_key, std::string_view key, OpId elem, bool insert,
                        Action action, std::uint64_t value_meta,
                        std::span<const std::uint8_t> value_raw, std::span<const OpId> pred) {
  ++op_count_;
  if (obj.counter == 0) {
    obj_actor_.append_null();
    obj_counter_.append_null();
  } else {
    obj_actor_.append(local_actor(obj.actor));
    obj_counter_.append(obj.counter);
  }
  if (map_key) {
    key_actor_.append_null();
    key_counter_.append_null();
    key_string_.append(std::string(key));
  } else {
    if (elem.counter == 0) {
      key_actor_.append_null();
    } else {
      key_actor_.append(local_actor(elem.actor));
    }
    key_counter_.append(static_cast<std::int64_t>(elem.counter));
    key_string_.append_null();
  }
  insert_.append(insert);
  action_.append(static_cast<std::uint64_t>(action));
  value_meta_.append(value_meta);
  write_bytes(value_raw_, value_raw);
  pred_count_.append(pred.size());
  for (const OpId& p : pred) {
    pred_actor_.append(local_actor(p.actor));
    pred_counter_.append(static_cast<std::int64_t>(p.counter));
  }
}

std::shared_ptr<ChangeData> ChangeBuilder::finish(std::span<const ActorId> doc_actors,
                                                  std::vector<ChangeHash> deps, std::uint64_t seq,
                                                  std::uint64_t start_op, std::int64_t time,
                                                  std::string message) {
  auto data = std::make_shared<ChangeData>();
  std::sort(deps.begin(), deps.end());
  data->actors.reserve(doc_of_local_.size());
  for (std::uint32_t a : doc_of_local_) data->actors.push_back(doc_actors[a]);
  body_.clear();
  write_change_header(body_,
                      ChangeHeader{deps, data->actors, seq, start_op, time, message, op_count_});
  std::array<std::size_t, kColumnCount> sizes;
  sizes[kObjActor] = obj_actor_.finish_prefixed(body_);
  sizes[kObjCounter] = obj_counter_.finish_prefixed(body_);
  sizes[kKeyActor] = key_actor_.finish_prefixed(body_);
  sizes[kKeyCounter] = key_counter_.finish_prefixed(body_);
  sizes[kKeyString] = key_string_.finish_prefixed(body_);
  sizes[kInsert] = insert_.finish_prefixed(body_);
  sizes[kAction] = action_.finish_prefixed(body_);
  sizes[kValueMeta] = value_meta_.finish_prefixed(body_);
  sizes[kValueRaw] = value_raw_.size();
  write_prefixed(body_, value_raw_);
  value_raw_.clear();
  sizes[kPredCount] = pred_count_.finish_prefixed(body_);
  sizes[kPredActor] = pred_actor_.finish_prefixed(body_);
  sizes[kPredCounter] = pred_counter_.finish_prefixed(body_);

  data->bytes = write_chunk(ChunkType::Change, body_, &data->hash);
  // The column offsets within the chunk: the body is its tail, the columns its end.
  std::size_t offset = data->bytes.size();
  for (std::size_t i = kColumnCount; i-- > 0;) {
    offset -= sizes[i];
    data->columns[i] = {offset, sizes[i]};
    offset -= uleb_size(sizes[i]);
  }
  data->deps = std::move(deps);
  data->seq = seq;
  data->start_op = start_op;
  data->op_count = op_count_;
  data->time = time;
  data->message = std::move(message);
  return data;
}

void write_change_header(std::vector<std::uint8_t>& body, const ChangeHeader& h) {
  write_uleb(body, h.deps.size());
  for (const ChangeHash& d : h.deps) write_bytes(body, d.bytes);
  write_prefixed(body, h.actors[0].bytes());
  write_uleb(body, h.seq);
  write_uleb(body, h.start_op);
  write_sleb(body, h.time);
  write_prefixed(body, h.message);
  write_uleb(body, h.actors.size() - 1);
  for (std::size_t i = 1; i < h.actors.size(); ++i) write_prefixed(body, h.actors[i].bytes());
  write_uleb(body, h.op_count);
}

void write_change_body(std::vector<std::uint8_t>& body, const ChangeHeader& h,
                       std::span<const std::span<const std::uint8_t>> columns) {
  std::size_t total = 64 + h.deps.size() * 32 + h.message.size();
  for (const auto& c : columns) total += c.size() + 4;
  body.reserve(body.size() + total);
  write_change_header(body, h);
  for (const auto& c : columns) write_prefixed(body, c);
}

// ---- parsing

Result<std::shared_ptr<ChangeData>> parse_change(std::span<const std::uint8_t> chunk) {
  auto view = read_chunk(chunk);
  if (!view) return view.error();
  if (view->type != ChunkType::Change) return malformed("not a change chunk");
  auto data = std::make_shared<ChangeData>();
  data->bytes.assign(chunk.begin(), chunk.begin() + view->size);
  data->hash = view->hash;
  std::size_t body_start = view->size - view->body.size();
  ByteReader r(std::span(data->bytes).subspan(body_start));

  std::uint64_t n;
  if (!r.uleb_at_most(n, r.remaining() / 32)) return malformed("bad dependency list");
  data->deps.resize(static_cast<std::size_t>(n));
  for (ChangeHash& d : data->deps) {
    std::span<const std::uint8_t> raw;
    r.take(32, raw);
    if (!r.ok()) return malformed("bad dependency list");
    std::copy(raw.begin(), raw.end(), d.bytes.begin());
  }
  if (!std::is_sorted(data->deps.begin(), data->deps.end()) ||
      std::adjacent_find(data->deps.begin(), data->deps.end()) != data->deps.end()) {
    return malformed("dependencies not sorted");
  }
  auto read_actor = [&]() -> bool {
    std::span<const std::uint8_t> raw;
    if (!r.prefixed(raw)) return false;
    auto actor = ActorId::from_bytes(raw);
    if (!actor) return false;
    data->actors.push_back(*actor);
    return true;
  };
  if (!read_actor()) return malformed("bad actor id");
  std::string_view message;
  if (!r.uleb(data->seq) || !r.uleb(data->start_op) || !r.sleb(data->time) ||
      !r.prefixed(message)) {
    return malformed("bad change header");
  }
  data->message = std::string(message);
  if (data->seq == 0 || data->start_op == 0) return malformed("zero sequence number or op");
  if (!r.uleb_at_most(n, r.remaining() / 2)) return malformed("bad actor list");
  for (std::uint64_t i = 0; i < n; ++i) {
    if (!read_actor()) return malformed("bad actor id");
  }
  if (!r.uleb_at_most(data->op_count, kMaxOpsPerChange)) return malformed("bad op count");
  if (data->start_op > (std::uint64_t{1} << 62)) return malformed("op counter too large");
  std::size_t header_end = static_cast<std::size_t>(r.position() - data->bytes.data());
  std::array<std::span<const std::uint8_t>, kColumnCount> spans;
  for (std::size_t c = 0; c < kColumnCount; ++c) {
    std::span<const std::uint8_t> col;
    if (!r.prefixed(col)) return malformed("bad column");
    spans[c] = col;
    data->columns[c] = {static_cast<std::size_t>(col.data() - data->bytes.data()), col.size()};
  }
  if (!r.at_end()) return malformed("trailing bytes after the columns");
  // Canonical form only: the same fields must write the same bytes.
  std::vector<std::uint8_t> again;
  write_change_body(again,
                    ChangeHeader{data->deps, data->actors, data->seq, data->start_op, data->time,
                                 data->message, data->op_count},
                    spans);
  auto body = std::span(data->bytes).subspan(body_start);
  if (again.size() != body.size() ||
      !std::equal(again.begin(),
                  again.begin() + static_cast<std::ptrdiff_t>(header_end - body_start),
                  body.begin())) {
    return malformed("change is not in canonical form");
  }
  ChangeOpReader ops(*data);
  DecodedOp op;
  std::uint64_t count = 0;
  while (ops.next(op)) ++count;
  if (ops.failed() || count != data->op_count || !ops.all_columns_done()) {
    return malformed("op columns do not decode");
  }
  return data;
}

// ---- op reader

ChangeOpReader::ChangeOpReader(const ChangeData& change)
    : change_(change),
      actor_count_(change.actors.size()),
      obj_actor_(change.column(kObjActor)),
      obj_counter_(change.column(kObjCounter)),
      key_actor_(change.column(kKeyActor)),
      key_counter_(change.column(kKeyCounter)),
      key_string_(change.column(kKeyString)),
      insert_(change.column(kInsert)),
      action_(change.column(kAction)),
      value_meta_(change.column(kValueMeta)),
      value_raw_(change.column(kValueRaw)),
      pred_count_(change.column(kPredCount)),
      pred_actor_(change.column(kPredActor)),
      pred_counter_(change.column(kPredCounter)) {}

bool ChangeOpReader::next(DecodedOp& op) {
  if (failed_ || index_ >= change_.op_count) return false;
  op.id = OpId{change_.start_op + index_, 0};
  ++index_;

  std::optional<std::uint64_t> actor, counter;
  if (!obj_actor_.next(actor) || !obj_counter_.next(counter)) return fail();
  if (actor.has_value() != counter.has_value()) return fail();
  if (counter) {
    if (*actor >= actor_count_ || *counter == 0) return fail();
    op.obj = OpId{*counter, static_cast<std::uint32_t>(*actor)};
  } else {
    op.obj = OpId{};
  }

  std::optional<std::uint64_t> key_actor;
  std::optional<std::int64_t> key_counter;
  std::optional<std::string_view> key_string;
  if (!key_actor_.next(key_actor) || !key_counter_.next(key_counter) ||
      !key_string_.next(key_string)) {
    return fail();
  }
  if (key_string) {
    if (key_actor || key_counter) return fail();
    op.map_key = true;
    op.key = *key_string;
  } else {
    if (!key_counter || *key_counter < 0) return fail();
    if ((*key_counter == 0) != !key_actor) return fail();
    if (key_actor && *key_actor >= actor_count_) return fail();
    op.map_key = false;
    op.elem = OpId{static_cast<std::uint64_t>(*key_counter),
                   key_actor ? static_cast<std::uint32_t>(*key_actor) : 0u};
  }

  std::uint64_t action, meta;
  if (!insert_.next(op.insert) || !action_.next_value(action) || !value_meta_.next_value(meta)) {
    return fail();
  }
  if (action >= kActionCount) return fail();
  op.action = static_cast<Action>(action);
  if (op.insert && op.map_key) return fail();
  if (op.insert && (op.action == Action::Delete || op.action == Action::Increment)) return fail();
  std::uint64_t code = meta & 15;
  if ((code > 9 && code != 15)) return fail();
  std::span<const std::uint8_t> raw;
  if (!value_raw_.take(static_cast<std::size_t>(std::min<std::uint64_t>(meta >> 4, SIZE_MAX)),
                       raw)) {
    return fail();
  }
  op.value = ValueRef{static_cast<ValueCode>(code), raw};
  if (!valid_value(op.value)) return fail();

  std::uint64_t npred;
  if (!pred_count_.next_value(npred) || npred > kMaxPredsPerOp) return fail();
  pred_total_ += npred;
  if (pred_total_ > kMaxOpsPerChange) return fail();
  op.pred.clear();
  for (std::uint64_t i = 0; i < npred; ++i) {
    std::uint64_t pa;
    std::int64_t pc;
    if (!pred_actor_.next_value(pa) || !pred_counter_.next_value(pc)) return fail();
    if (pa >= actor_count_ || pc <= 0) return fail();
    op.pred.push_back(OpId{static_cast<std::uint64_t>(pc), static_cast<std::uint32_t>(pa)});
  }
  return true;
}

bool ChangeOpReader::all_columns_done() const {
  return obj_actor_.done() && obj_counter_.done() && key_actor_.done() && key_counter_.done() &&
         key_string_.done() && insert_.done() && action_.done() && value_meta_.done() &&
         value_raw_.at_end() && pred_count_.done() && pred_actor_.done() && pred_counter_.done();
}

}  // namespace crdt::detail
