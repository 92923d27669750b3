#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "crdt/document.hpp"

// The persisted document store: keeps the application's replicated document and writes every
// change of it to disk.
namespace vesk_ui::persist {

struct PersistOptions {
  // The file is rewritten as one whole save once the chunks appended since the last whole save
  // pass both this and the size of that save.
  std::uint64_t compact_after_bytes = 1 << 20;
  // Flush to the disk after every write. Off only where durability does not matter (measuring
  // the rest of the work).
  bool durable = true;
};

struct PersistError {
  std::string message;
};

// The document and, when it has one, its file: a whole save followed by the incremental chunks
// of later changes, appended one per persist. A crash loses at most the chunk being written,
// which the next open drops as a torn tail.
class DocumentStore {
 public:
  DocumentStore(DocumentStore&&) noexcept;
  DocumentStore& operator=(DocumentStore&&) noexcept;
  ~DocumentStore();  // persists what is left

  crdt::Document& document() { return *document_; }
  const crdt::Document& document() const { return *document_; }

  // Writes the changes made since the last persist to the file and flushes them to disk, so
  // nothing of them is lost once this returns: the frame loop calls it after every frame that
  // changed the document. Does nothing when nothing changed or the store has no file. A failed
  // write leaves the file as it was; the next persist writes the whole document.
  std::optional<PersistError> persist();

  // The file, or none for a document kept in memory only.
  const std::optional<std::filesystem::path>& path() const { return path_; }

  class File;
  DocumentStore(std::unique_ptr<crdt::Document> document, std::unique_ptr<File> file,
                std::optional<std::filesystem::path> path, PersistOptions options);

 private:
  std::optional<PersistError> compact();

  std::unique_ptr<crdt::Document> document_;
  std::unique_ptr<File> file_;
  std::optional<std::filesystem::path> path_;
  PersistOptions options_;
  std::uint64_t whole_save_bytes_ = 0;  // size of the whole save the file starts with
  std::uint64_t appended_bytes_ = 0;    // chunks appended after it
  bool rewrite_needed_ = false;         // a write failed: the file lacks changes already taken
  bool failing_ = false;                // the last persist failed (the user has been told)
};

// Opens the document file at `path`, creating it and its directories when missing, with edits of
// this process made as `actor`. The file is brought to the store's layout as it is used: a
// damaged tail is cut off (with a warning on stderr, and a copy of the file kept beside it
// unless only the last chunk was torn), a file that cannot be read as a document at all is kept
// beside as "<name>.corrupt-<unix time>" and a new document is started, and a file that cannot
// be opened or is in use by another process leaves the document in memory; the user is told on
// stderr in each case. Never fails.
DocumentStore open_migrating(crdt::ActorId actor, PersistOptions options,
                             const std::filesystem::path& path);

// A new document kept in memory only.
DocumentStore open(crdt::ActorId actor, PersistOptions options);

}  // namespace vesk_ui::persist
