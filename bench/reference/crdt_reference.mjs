// Same workloads as bench/crdt_bench.cpp, on the reference implementation.
import * as A from "@automerge/automerge";
import { readFileSync } from "node:fs";
import { gunzipSync } from "node:zlib";

const data = process.env.VESK_SHARED_DATA;
const trace = JSON.parse(
  gunzipSync(readFileSync(`${data}/editing-traces/automerge-paper.json.gz`)).toString("utf8"),
);
const patches = trace.txns.flatMap((t) => t.patches);

function time(label, fn, extra = "") {
  const t0 = performance.now();
  const result = fn();
  const ms = performance.now() - t0;
  console.log(`${label.padEnd(28)} ${ms.toFixed(1).padStart(10)} ms ${extra(result) ?? ""}`);
  return result;
}
const none = () => "";

function check(ok, what) {
  if (!ok) {
    console.error(`reference: ${what}`);
    process.exit(1);
  }
}

// 1. The trace as one change, then save and load.
let doc = time("TraceApply", () =>
  A.change(A.from({ text: "" }), (d) => {
    for (const [pos, del, text] of patches) A.splice(d, ["text"], pos, del, text);
  }), none);
check(doc.text === trace.endContent, "trace result differs from endContent");
const saved = time("TraceSave", () => A.save(doc), (b) => `saved_bytes=${b.length}`);
const loaded = time("TraceLoad", () => A.load(saved), none);
check(loaded.text === trace.endContent, "loaded trace differs");

// 2. One change per edit, heads at the end.
doc = time("TraceChangePerEdit", () => {
  let d = A.from({ text: "" });
  for (const [pos, del, text] of patches) d = A.change(d, (x) => A.splice(x, ["text"], pos, del, text));
  A.getHeads(d);
  return d;
}, none);
check(doc.text === trace.endContent, "per-edit trace result differs");

// 3. 20 channels x 2,000 messages, one change per message.
const chat = time("ChatBuild", () => {
  let d = A.from({ messages: {} });
  for (let c = 0; c < 20; c++) {
    d = A.change(d, (x) => { x.messages[`c_${c}`] = []; });
    for (let m = 0; m < 2000; m++) {
      d = A.change(d, (x) => {
        x.messages[`c_${c}`].push({
          id: new A.ImmutableString(`m_${c}_${m}`),
          author: new A.ImmutableString(`u_${m % 7}`),
          ts: 1700000000 + m,
          parent: new A.ImmutableString(""),
          text: `message ${m} in channel ${c}, hello there`,
          reactions: m % 3 === 0 ? [{ emoji: new A.ImmutableString("👍"), user: new A.ImmutableString("u_1") }] : [],
          history: [],
        });
      });
    }
  }
  A.getHeads(d);
  return d;
}, none);
const chatSaved = time("ChatSave", () => A.save(chat), (b) => `saved_bytes=${b.length}`);
time("ChatLoad", () => A.load(chatSaved), none);

// 4. Two replicas with 10,000 concurrent changes each, merged.
let a = A.change(A.init(), (x) => { x.list = []; });
let b = A.clone(a);
const edit = (d, who) => {
  for (let i = 0; i < 10000; i++) {
    d = A.change(d, (x) => {
      x[`${who}${i % 100}`] = i;
      x.list.push(new A.ImmutableString(`${who}${i}`));
    });
  }
  return d;
};
a = edit(a, "a");
b = edit(b, "b");
const merged = time("Merge10k", () => A.merge(a, b), none);
check(merged.list.length === 20000, "merged list has the wrong length");
