#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>

#include "document_file.hpp"
#include "vesk_ui/persist.hpp"

namespace vesk_ui::persist {
namespace {

void tell_user(const std::string& text) {
  std::fprintf(stderr, "document store: %s\n", text.c_str());
}

DocumentStore in_memory(crdt::ActorId actor, PersistOptions options) {
  return DocumentStore(std::make_unique<crdt::Document>(std::move(actor)), nullptr, std::nullopt,
                       options);
}

DocumentStore unsaved(crdt::ActorId actor, PersistOptions options, const std::string& why) {
  tell_user(why + " Changes made in this session will not be saved.");
  return in_memory(std::move(actor), options);
}

DocumentStore with_file(std::unique_ptr<crdt::Document> document, crdt::ActorId actor,
                        std::unique_ptr<DocumentStore::File> file, PersistOptions options) {
  document->set_actor(std::move(actor));
  // What was loaded is on disk already; only later changes are appended.
  document->save_incremental();
  std::filesystem::path path = file->path();
  return DocumentStore(std::move(document), std::move(file), std::move(path), options);
}

DocumentStore start_new_file(crdt::ActorId actor, PersistOptions options,
                             const std::filesystem::path& path) {
  auto document = std::make_unique<crdt::Document>(actor);
  const crdt::Bytes whole = document->save();
  std::string error;
  std::optional<UniqueFd> fd = write_new_file(path, whole, options.durable, error);
  if (!fd) return unsaved(actor, options, "Cannot create " + path.string() + ": " + error + ".");
  auto file = std::make_unique<DocumentStore::File>(path, std::move(*fd), whole.size());
  return with_file(std::move(document), std::move(actor), std::move(file), options);
}

bool same_file(int fd, const std::filesystem::path& path) {
  struct stat open_info {};
  struct stat path_info {};
  return ::fstat(fd, &open_info) == 0 && ::stat(path.c_str(), &path_info) == 0 &&
         open_info.st_dev == path_info.st_dev && open_info.st_ino == path_info.st_ino;
}

}  // namespace

DocumentStore::DocumentStore(std::unique_ptr<crdt::Document> document, std::unique_ptr<File> file,
                             std::optional<std::filesystem::path> path, PersistOptions options)
    : document_(std::move(document)),
      file_(std::move(file)),
      path_(std::move(path)),
      options_(options),
      whole_save_bytes_(file_ ? file_->length() : 0) {}

DocumentStore::DocumentStore(DocumentStore&&) noexcept = default;
DocumentStore& DocumentStore::operator=(DocumentStore&& other) noexcept {
  if (this != &other) {
    if (document_ && file_) persist();  // what this store holds must not be dropped unsaved
    document_ = std::move(other.document_);
    file_ = std::move(other.file_);
    path_ = std::move(other.path_);
    options_ = other.options_;
    whole_save_bytes_ = other.whole_save_bytes_;
    appended_bytes_ = other.appended_bytes_;
    rewrite_needed_ = other.rewrite_needed_;
    failing_ = other.failing_;
  }
  return *this;
}

DocumentStore::~DocumentStore() {
  if (document_ && file_) persist();
}

std::optional<PersistError> DocumentStore::persist() {
  if (!file_) return std::nullopt;
  std::optional<PersistError> failure;
  if (rewrite_needed_) {
    failure = compact();
  } else {
    const crdt::Bytes chunk = document_->save_incremental();
    if (chunk.empty()) return std::nullopt;
    if (auto error = file_->append(chunk, options_.durable)) {
      // The chunk's changes count as saved for the document now: only a whole save brings them
      // back.
      rewrite_needed_ = true;
      failure = PersistError{"cannot write " + file_->path().string() + ": " + *error};
    } else {
      appended_bytes_ += chunk.size();
      if (appended_bytes_ > std::max(options_.compact_after_bytes, whole_save_bytes_)) {
        failure = compact();
      }
    }
  }
  if (failure && !failing_) tell_user(failure->message + "; retrying with the next change.");
  failing_ = failure.has_value();
  return failure;
}

std::optional<PersistError> DocumentStore::compact() {
  const crdt::Bytes whole = document_->save();
  if (auto error = file_->replace(whole, options_.durable)) {
    rewrite_needed_ = true;
    return PersistError{"cannot rewrite " + file_->path().string() + ": " + *error};
  }
  whole_save_bytes_ = whole.size();
  appended_bytes_ = 0;
  rewrite_needed_ = false;
  return std::nullopt;
}

DocumentStore open(crdt::ActorId actor, PersistOptions options) {
  return in_memory(std::move(actor), options);
}

DocumentStore open_migrating(crdt::ActorId actor, PersistOptions options,
                             const std::filesystem::path& path) {
  if (path.has_parent_path()) {
    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    if (error) {
      return unsaved(
          actor, options,
          "Cannot create the folder " + path.parent_path().string() + ": " + error.message() + ".");
    }
  }

  UniqueFd fd;
  // Another process may swap the file (a rewrite) between our open and our lock: open again.
  for (int attempt = 0; attempt < 3; ++attempt) {
    fd = UniqueFd(::open(path.c_str(), O_RDWR | O_CLOEXEC));
    if (!fd.valid()) {
      if (errno == ENOENT) return start_new_file(actor, options, path);
      return unsaved(actor, options,
                     "Cannot open " + path.string() + ": " + errno_text(errno) + ".");
    }
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
      return unsaved(actor, options,
                     path.string() + " is open in another store (another window or process).");
    }
    if (same_file(fd.get(), path)) break;
  }

  std::string read_error;
  std::optional<std::vector<std::uint8_t>> bytes = read_all(fd.get(), read_error);
  if (!bytes)
    return unsaved(actor, options, "Cannot read " + path.string() + ": " + read_error + ".");
  if (bytes->empty()) return start_new_file(actor, options, path);

  crdt::Result<crdt::Document> loaded = crdt::Document::load(*bytes);
  if (loaded.ok()) {
    auto file = std::make_unique<DocumentStore::File>(path, std::move(fd), bytes->size());
    return with_file(std::make_unique<crdt::Document>(std::move(loaded).value()), std::move(actor),
                     std::move(file), options);
  }

  const crdt::Error& error = loaded.error();
  const std::int64_t now = std::time(nullptr);
  if (error.chunk_offset > 0 && error.chunk_offset < bytes->size()) {
    // A readable document with a damaged end: keep what reads, drop the rest.
    crdt::Result<crdt::Document> prefix =
        crdt::Document::load(std::span<const std::uint8_t>(*bytes).first(error.chunk_offset));
    // A prefix without a single change means the whole save itself is damaged: not a tail.
    if (prefix.ok() && !prefix.value().get_heads().empty()) {
      std::string note;
      if (error.code != crdt::ErrorCode::Truncated) {
        // More than a chunk torn by a crash: keep the whole file for whoever can repair it.
        std::string copy_error;
        if (auto copy = copy_aside(path, *bytes, now, copy_error)) {
          note = " The file as it was is kept as " + copy->string() + ".";
        } else {
          return unsaved(actor, options,
                         path.string() + " is damaged (" + error.message +
                             ") and no copy of it could be kept (" + copy_error + ").");
        }
      }
      auto file = std::make_unique<DocumentStore::File>(path, std::move(fd), bytes->size());
      if (auto cut = file->truncate(error.chunk_offset, options.durable)) {
        return unsaved(actor, options, "Cannot repair " + path.string() + ": " + *cut + ".");
      }
      tell_user("Dropped the damaged last " + std::to_string(bytes->size() - error.chunk_offset) +
                " bytes of " + path.string() + " (" + error.message +
                "); changes written there are lost." + note);
      return with_file(std::make_unique<crdt::Document>(std::move(prefix).value()),
                       std::move(actor), std::move(file), options);
    }
  }

  // Not readable as a document at all: keep it untouched under another name, start afresh.
  fd = UniqueFd();
  std::string move_error;
  std::optional<std::filesystem::path> kept = move_aside(path, now, move_error);
  if (!kept) {
    return unsaved(actor, options,
                   path.string() + " cannot be read as a document (" + error.message +
                       ") and could not be moved aside (" + move_error + ").");
  }
  tell_user("Cannot read " + path.string() + " as a document (" + error.message +
            "). It is kept as " + kept->string() + " and a new, empty document was started.");
  return start_new_file(std::move(actor), options, path);
}

}  // namespace vesk_ui::persist
