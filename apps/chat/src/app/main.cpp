#include <memory>

#include <vdoc/fs_blob_store.hpp>
#include <vesk_ui/launch.hpp>

#include "app/launch_callbacks.hpp"

int main() {
  vdoc::blobstore::set_store(std::make_shared<vdoc::blobstore::FsBlobStore>(
      vdoc::blobstore::FsBlobStore::default_root(), 33'554'432, 268'435'456, 8'192, 16'384));
  vesk_ui::launch::run_or_exit(chat::app::launch_description());
}
