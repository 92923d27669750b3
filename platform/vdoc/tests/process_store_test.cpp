#include <gtest/gtest.h>

#include "temp_dir.hpp"
#include "vdoc/blob_store.hpp"
#include "vdoc/fs_blob_store.hpp"

namespace {

using namespace vdoc::blobstore;

std::vector<std::uint8_t> bytes(std::string_view text) {
  return {text.begin(), text.end()};
}

TEST(ProcessStore, OperationsGoToTheInstalledStore) {
  set_store(nullptr);
  const Result<BlobId> refused = put(bytes("x"));
  ASSERT_FALSE(refused.ok());
  EXPECT_EQ(refused.error().kind, ErrorKind::NoStore);
  const std::string abc = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
  EXPECT_FALSE(get(abc).has_value());
  EXPECT_EQ(state(abc), BlobState::Unavailable);

  vdoc_test::TempDir dir;
  set_store(std::make_shared<FsBlobStore>(dir.path(), 1u << 20, 1u << 20, 10, 100));
  EXPECT_EQ(state(abc), BlobState::Unavailable);
  const Result<BlobId> stored = put(bytes("abc"));
  ASSERT_TRUE(stored.ok()) << stored.error().message;
  EXPECT_EQ(stored.value(), abc);
  EXPECT_EQ(get(abc), bytes("abc"));
  EXPECT_EQ(static_cast<int>(state(abc)), 0);
  EXPECT_EQ(static_cast<int>(state(std::string(64, '0'))), 2);
  EXPECT_EQ(state("vesk-demo://call-grid"), BlobState::Unavailable);

  set_store(nullptr);
  EXPECT_FALSE(get(abc).has_value());
}

}  // namespace
