#pragma once
// Where the window's pictures come from: attachment blobs in the blob store and two generated
// demonstration pictures, each named by an address the toolkit's image store loads.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <vesk_ui/permission.hpp>

namespace chat::media {

inline constexpr std::string_view kBlobScheme = "vesk-blob://";
inline constexpr std::string_view kDemoScheme = "vesk-demo://";
inline constexpr std::string_view kCallGridAddress = "vesk-demo://call-grid";
inline constexpr std::string_view kSharedShotAddress = "vesk-demo://shared-shot";

using ImageBytes = std::vector<std::uint8_t>;

// Demonstration attachments store their address as the blob id; every other id is a blob.
std::string attachment_image_url(std::string_view blob);

// Only well-formed blob ids and the two demo pictures are ever shown, and then only to someone
// who may view the workspace.
bool can_view_blob(const vesk_ui::PermissionContext& permissions, std::string_view blob);

// The encoded picture at `address`, none when there is nothing there. Holds no state, so the
// image store's loader thread may call it while the window draws.
std::optional<ImageBytes> resolve_image_source(std::string_view address);

}  // namespace chat::media
