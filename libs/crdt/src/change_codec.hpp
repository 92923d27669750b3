// The canonical columnar encoding of a change, its builder and its op reader.
//
// Body: deps (count, 32-byte hashes) | author (prefixed bytes) | seq | start op | time (sleb)
// | message | other actors (count, prefixed bytes each) | op count | the op columns in the
// order of `Column`, each prefixed by its byte length. Actor numbers inside the columns
// index [author, other actors...].
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "chunk.hpp"
#include "columns.hpp"
#include "crdt/types.hpp"
#include "ops.hpp"

namespace crdt::detail {

enum Column : std::size_t {
  kObjActor,
  kObjCounter,
  kKeyActor,
  kKeyCounter,
  kKeyString,
  kInsert,
  kAction,
  kValueMeta,
  kValueRaw,
  kPredCount,
  kPredActor,
  kPredCounter,
  kColumnCount,
};

#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
inline constexpr std::uint64_t kMaxOpsPerChange = std::uint64_t{1} << 14;  // keeps runs fast
#else
inline constexpr std::uint64_t kMaxOpsPerChange = std::uint64_t{1} << 24;
#endif
inline constexpr std::uint64_t kMaxPredsPerOp = std::uint64_t{1} << 16;

struct ChangeData {
  std::vector<std::uint8_t> bytes;  // the whole chunk
  ChangeHash hash;
  std::vector<ChangeHash> deps;  // sorted
  std::vector<ActorId> actors;   // author first
  std::uint64_t seq = 0;
  std::uint64_t start_op = 0;
  std::uint64_t op_count = 0;
  std::int64_t time = 0;
  std::string message;
  std::array<std::pair<std::size_t, std::size_t>, kColumnCount> columns{};

  std::span<const std::uint8_t> column(std::size_t c) const {
    return std::span(bytes).subspan(columns[c].first, columns[c].second);
  }
};

// The fields before the op columns.
struct ChangeHeader {
  std::span<const ChangeHash> deps;  // sorted
  std::span<const ActorId> actors;   // author first
  std::uint64_t seq = 0;
  std::uint64_t start_op = 0;
  std::int64_t time = 0;
  std::string_view message;
  std::uint64_t op_count = 0;
};

// Writes a change body: the header fields, then the columns (each prefixed by its length).
// Every change is written this way, so one that parses can be rebuilt byte for byte from
// its fields and columns.
void write_change_header(std::vector<std::uint8_t>& body, const ChangeHeader& header);
void write_change_body(std::vector<std::uint8_t>& body, const ChangeHeader& header,
                       std::span<const std::span<const std::uint8_t>> columns);

// Parses a change chunk and decodes every op once; rejects encodings this writer would
// not produce.
Result<std::shared_ptr<ChangeData>> parse_change(std::span<const std::uint8_t> chunk);

// One op as read back; actor numbers are the change's own.
struct DecodedOp {
  OpId id;
  OpId obj;  // counter 0: the root
  bool map_key = false;
  std::string_view key;
  OpId elem;  // counter 0: the list head
  bool insert = false;
  Action action = Action::Put;
  ValueRef value;
  std::vector<OpId> pred;
};

class ChangeOpReader {
 public:
  explicit ChangeOpReader(const ChangeData& change);
  // False at the end or on malformed input (then failed() is true).
  bool next(DecodedOp& op);
  bool failed() const { return failed_; }
  // After the last op: every column consumed exactly.
  bool all_columns_done() const;

 private:
  bool fail() {
    failed_ = true;
    return false;
  }

  const ChangeData& change_;
  std::uint64_t index_ = 0;
  std::uint64_t pred_total_ = 0;
  std::uint64_t actor_count_;
  RleDecoder<UlebCodec> obj_actor_, obj_counter_, key_actor_;
  DeltaDecoder key_counter_;
  RleDecoder<StringCodec> key_string_;
  BoolDecoder insert_;
  RleDecoder<UlebCodec> action_, value_meta_;
  ByteReader value_raw_;
  RleDecoder<UlebCodec> pred_count_, pred_actor_;
  DeltaDecoder pred_counter_;
  bool failed_ = false;
};

// Collects a local transaction's ops straight into columns. Actor numbers given to add()
// are the document's; they are renumbered for the change. One builder serves transaction
// after transaction, keeping its buffers.
class ChangeBuilder {
 public:
  // Starts a transaction by `author`.
  void begin(std::uint32_t author);

  // `key` is used when `map_key`, else `elem`. `value_meta`/`value_raw` as from encode_value.
  void add(OpId obj, bool map_key, std::string_view key, OpId elem, bool insert, Action action,
           std::uint64_t value_meta, std::span<const std::uint8_t> value_raw,
           std::span<const OpId> pred);
  std::uint64_t op_count() const { return op_count_; }

  std::shared_ptr<ChangeData> finish(std::span<const ActorId> doc_actors,
                                     std::vector<ChangeHash> deps, std::uint64_t seq,
                                     std::uint64_t start_op, std::int64_t time,
                                     std::string message);

 private:
  std::uint64_t local_actor(std::uint32_t doc_actor);

  std::vector<std::uint8_t> body_;
  std::vector<std::int32_t> local_of_doc_;
  std::vector<std::uint32_t> doc_of_local_;
  std::uint64_t op_count_ = 0;
  RleEncoder<UlebCodec> obj_actor_, obj_counter_, key_actor_;
  DeltaEncoder key_counter_;
  RleEncoder<OwnedStringCodec> key_string_;
  BoolEncoder insert_;
  RleEncoder<UlebCodec> action_, value_meta_;
  std::vector<std::uint8_t> value_raw_;
  RleEncoder<UlebCodec> pred_count_, pred_actor_;
  DeltaEncoder pred_counter_;
};

}  // namespace crdt::detail
