#include "crdt_trace.hpp"

#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <nlohmann/json.hpp>

namespace crdt_bench {

namespace {

struct GzCloser {
  void operator()(gzFile f) const { gzclose(f); }
};

[[noreturn]] void die(const std::string& why) {
  std::fprintf(stderr, "crdt bench: %s\n", why.c_str());
  std::exit(1);
}

Trace read_trace() {
  std::string path = std::string(VESK_SHARED_DATA) + "/editing-traces/automerge-paper.json.gz";
  std::unique_ptr<gzFile_s, GzCloser> file(gzopen(path.c_str(), "rb"));
  if (!file) die("cannot open " + path);
  std::string json;
  char buf[1 << 16];
  int n;
  while ((n = gzread(file.get(), buf, sizeof buf)) > 0)
    json.append(buf, static_cast<std::size_t>(n));
  if (n < 0) die("cannot read " + path);
  auto doc = nlohmann::json::parse(json);
  Trace trace;
  trace.end_content = doc.at("endContent").get<std::string>();
  for (const auto& txn : doc.at("txns")) {
    for (const auto& p : txn.at("patches")) {
      trace.patches.push_back(
          {p.at(0).get<std::size_t>(), p.at(1).get<std::size_t>(), p.at(2).get<std::string>()});
    }
  }
  return trace;
}

}  // namespace

const Trace& editing_trace() {
  static const Trace trace = read_trace();
  return trace;
}

}  // namespace crdt_bench
