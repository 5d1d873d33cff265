// rt/db/ntx: the keys of an index and its file.
//
// Entries are sorted by their bytes (a radix sort); a set of 65,536 or more
// is sorted on several threads (threads.h), since creating an index sorts
// the keys of every row of the table at once. The ordered store keeps its
// entries in blocks, so that an insert or an erase moves the entries of one
// block, never the whole set. The file is written whole, leaves first and
// the root last, and read back page by page with every page checked.
#include "rt/db/ntx.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "rt/db/numtext.h"
#include "rt/db/switch.h"
#include "rt/db/threads.h"

namespace fs = std::filesystem;

namespace rt::db {

namespace {

constexpr std::size_t kPage = 1024;
constexpr std::size_t kExprAt = 22;
constexpr std::size_t kExprLen = 256;
constexpr std::size_t kUniqueAt = 278;

unsigned maxItems(std::size_t itemSize) {
  unsigned m = static_cast<unsigned>((kPage - 2) / (itemSize + 2)) - 1;
  return m - (m & 1);
}

void le16(char* p, unsigned v) {
  p[0] = static_cast<char>(v & 0xFF);
  p[1] = static_cast<char>((v >> 8) & 0xFF);
}
void le32(char* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}
unsigned rd16(const char* p) {
  return static_cast<unsigned>(static_cast<unsigned char>(p[0])) |
         static_cast<unsigned>(static_cast<unsigned char>(p[1])) << 8;
}
std::uint32_t rd32(const char* p) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(p[0])) |
         static_cast<std::uint32_t>(static_cast<unsigned char>(p[1])) << 8 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(p[2])) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(p[3])) << 24;
}

// Byte order of n bytes as memcmp gives it, a word at a time; the last word
// overlaps the one before (its first bytes are equal by then).
int compareBytes(const char* a, const char* b, std::size_t n) {
  if (n >= 8) {
    for (std::size_t k = 0;; k += 8) {
      if (k + 8 > n) k = n - 8;
      std::uint64_t x, y;
      std::memcpy(&x, a + k, 8);
      std::memcpy(&y, b + k, 8);
      if (x != y) return __builtin_bswap64(x) < __builtin_bswap64(y) ? -1 : 1;
      if (k + 8 == n) return 0;
    }
  }
  if (n >= 4) {
    for (std::size_t k : {std::size_t{0}, n - 4}) {
      std::uint32_t x, y;
      std::memcpy(&x, a + k, 4);
      std::memcpy(&y, b + k, 4);
      if (x != y) return __builtin_bswap32(x) < __builtin_bswap32(y) ? -1 : 1;
    }
    return 0;
  }
  for (; n > 0; ++a, ++b, --n)
    if (*a != *b) return static_cast<unsigned char>(*a) < static_cast<unsigned char>(*b) ? -1 : 1;
  return 0;
}

// One entry copied: whole words, the last one overlapping the one before.
inline void copyEntry(char* to, const char* from, std::size_t n) {
  if (n >= 16) {
    for (std::size_t k = 0; k + 16 < n; k += 16) std::memcpy(to + k, from + k, 16);
    std::memcpy(to + n - 16, from + n - 16, 16);
  } else if (n >= 8) {
    std::memcpy(to, from, 8);
    std::memcpy(to + n - 8, from + n - 8, 8);
  } else {
    std::memcpy(to, from, n);
  }
}

void insertionSort(char* a, std::size_t n, std::size_t stride, std::size_t depth, char* tmp) {
  const std::size_t len = stride - depth;
  for (std::size_t i = 1; i < n; ++i) {
    char* cur = a + i * stride;
    std::size_t j = i;
    while (j > 0 && compareBytes(a + (j - 1) * stride + depth, cur + depth, len) > 0) --j;
    if (j != i) {
      copyEntry(tmp, cur, stride);
      std::memmove(a + (j + 1) * stride, a + j * stride, (i - j) * stride);
      copyEntry(a + j * stride, tmp, stride);
    }
  }
}

// Sorts the n entries at in by their bytes from depth on. The result ends in
// out when toOut, else in in; in and out are the same range of two buffers.
void radixSort(char* in, char* out, std::size_t n, std::size_t stride, std::size_t depth, bool toOut,
               char* one) {
  for (;;) {
    if (n < 48 || depth >= stride) {
      if (depth < stride) insertionSort(in, n, stride, depth, one);
      if (toOut) std::memcpy(out, in, n * stride);
      return;
    }
    // Keys are mostly digits and letters: only the range of byte values
    // met is walked.
    std::size_t count[256] = {};
    unsigned lo = 255, hi = 0;
    for (std::size_t i = 0; i < n; ++i) {
      const unsigned b = static_cast<unsigned char>(in[i * stride + depth]);
      ++count[b];
      lo = std::min(lo, b);
      hi = std::max(hi, b);
    }
    if (lo == hi) {
      ++depth;
      continue;
    }
    std::size_t start[256];
    std::size_t s = 0;
    for (unsigned b = lo; b <= hi; ++b) {
      start[b] = s;
      s += count[b];
    }
    std::size_t fill[256];
    std::memcpy(fill + lo, start + lo, (hi - lo + 1) * sizeof fill[0]);
    for (std::size_t i = 0; i < n; ++i) {
      const char* e = in + i * stride;
      copyEntry(out + fill[static_cast<unsigned char>(e[depth])]++ * stride, e, stride);
    }
    for (unsigned b = lo; b <= hi; ++b)
      if (count[b])
        radixSort(out + start[b] * stride, in + start[b] * stride, count[b], stride, depth + 1, !toOut, one);
    return;
  }
}

bool ascending(const char* a, std::size_t n, std::size_t stride) {
  for (std::size_t i = 1; i < n; ++i)
    if (compareBytes(a + (i - 1) * stride, a + i * stride, stride) > 0) return false;
  return true;
}

// Merges sorted runs of distinct entries into out.
struct Run {
  const char* p;
  const char* end;
};

void mergeRuns(std::vector<Run> runs, char* out, std::size_t stride) {
  std::erase_if(runs, [](const Run& r) { return r.p == r.end; });
  const auto less = [stride](const Run& a, const Run& b) { return compareBytes(a.p, b.p, stride) < 0; };
  auto siftDown = [&](std::size_t i) {
    const std::size_t n = runs.size();
    for (;;) {
      std::size_t m = i;
      const std::size_t l = 2 * i + 1, r = l + 1;
      if (l < n && less(runs[l], runs[m])) m = l;
      if (r < n && less(runs[r], runs[m])) m = r;
      if (m == i) return;
      std::swap(runs[i], runs[m]);
      i = m;
    }
  };
  for (std::size_t i = runs.size() / 2; i-- > 0;) siftDown(i);
  while (runs.size() > 1) {
    Run& top = runs[0];
    const char* next = runs.size() == 2 || less(runs[1], runs[2]) ? runs[1].p : runs[2].p;
    // The entries of the smallest run below the next run's head go at once:
    // a gallop, then a binary search in the last step.
    const std::size_t left = static_cast<std::size_t>(top.end - top.p) / stride;
    std::size_t lo = 1, step = 1;
    while (lo < left && compareBytes(top.p + lo * stride, next, stride) < 0) {
      lo += step;
      step *= 2;
    }
    std::size_t hi = std::min(lo, left);
    lo = step == 1 ? 1 : lo - step / 2 + 1;  // the entry before lo is below next
    while (lo < hi) {
      const std::size_t mid = (lo + hi) / 2;
      if (compareBytes(top.p + mid * stride, next, stride) < 0)
        lo = mid + 1;
      else
        hi = mid;
    }
    std::memcpy(out, top.p, lo * stride);
    out += lo * stride;
    top.p += lo * stride;
    if (top.p == top.end) {
      runs[0] = runs.back();
      runs.pop_back();
    }
    siftDown(0);
  }
  if (!runs.empty()) std::memcpy(out, runs[0].p, static_cast<std::size_t>(runs[0].end - runs[0].p));
}

// Large sets: a part on each thread sorted into tmp, then the parts merged
// back into a, each thread writing one range of the result.
void parallelSort(char* a, char* tmp, std::size_t n, std::size_t stride, std::size_t depth,
                  unsigned threads) {
  std::vector<std::size_t> from(threads + 1);
  for (unsigned t = 0; t <= threads; ++t) from[t] = n * t / threads;
  onThreads(threads, [&](unsigned t) {
    const std::size_t c = from[t + 1] - from[t];
    char* in = a + from[t] * stride;
    char* out = tmp + from[t] * stride;
    if (ascending(in, c, stride)) {
      std::memcpy(out, in, c * stride);
    } else {
      std::string one(stride, '\0');
      radixSort(in, out, c, stride, depth, true, one.data());
    }
  });

  // Cut points: a sample of each sorted part, evenly spaced, sorted; the
  // result is cut at its quantiles.
  constexpr std::size_t kSamples = 256;
  std::vector<const char*> sample;
  for (unsigned t = 0; t < threads; ++t) {
    const std::size_t c = from[t + 1] - from[t];
    for (std::size_t k = 0; k < kSamples && c > 0; ++k)
      sample.push_back(tmp + (from[t] + k * c / kSamples) * stride);
  }
  std::sort(sample.begin(), sample.end(),
            [stride](const char* x, const char* y) { return std::memcmp(x, y, stride) < 0; });
  // cut[j][t]: where range j starts in part t.
  std::vector<std::vector<std::size_t>> cut(threads + 1, std::vector<std::size_t>(threads));
  for (unsigned t = 0; t < threads; ++t) {
    cut[0][t] = from[t];
    cut[threads][t] = from[t + 1];
  }
  for (unsigned j = 1; j < threads; ++j) {
    const char* split = sample[j * sample.size() / threads];
    for (unsigned t = 0; t < threads; ++t) {
      std::size_t lo = cut[j - 1][t], hi = from[t + 1];
      while (lo < hi) {
        const std::size_t mid = (lo + hi) / 2;
        if (std::memcmp(tmp + mid * stride, split, stride) < 0)
          lo = mid + 1;
        else
          hi = mid;
      }
      cut[j][t] = lo;
    }
  }
  onThreads(threads, [&](unsigned j) {
    std::size_t at = 0;
    std::vector<Run> runs;
    for (unsigned t = 0; t < threads; ++t) {
      at += cut[j][t] - from[t];
      runs.push_back({tmp + cut[j][t] * stride, tmp + cut[j + 1][t] * stride});
    }
    mergeRuns(std::move(runs), a + at * stride, stride);
  });
}

}  // namespace

// --- keys ---

bool keyTypeOf(const Value& v, KeyType& out) {
  switch (v.type()) {
    case Value::Type::Character:
      if (v.string().empty() || v.string().size() > 256) return false;
      out = {'C', static_cast<int>(v.string().size()), 0};
      return true;
    case Value::Type::Number: {
      const Number& n = v.numberInfo();
      int w = n.width > 0 ? n.width : 10;
      int d = n.decimals > 0 ? n.decimals : 0;
      if (d > 0 && n.width <= 0) w = 10 + 1 + d;
      if (w > 256 || d >= w) return false;
      out = {'N', w, d};
      return true;
    }
    case Value::Type::Date:
      out = {'D', 8, 0};
      return true;
    case Value::Type::Logical:
      out = {'L', 1, 0};
      return true;
    default:
      return false;
  }
}

bool encodeKey(const Value& v, const KeyType& kt, std::string& out) {
  const auto size = static_cast<std::size_t>(kt.size);
  switch (kt.type) {
    case 'C':
      if (!v.isString()) return false;
      out.assign(v.string(), 0, std::min(size, v.string().size()));
      out.resize(size, ' ');
      return true;
    case 'N': {
      if (!v.isNumber()) return false;
      out.assign(size, ' ');
      if (!formatNumber(v.num(), kt.size, kt.decimals, out.data())) return true;  // asterisks
      if (out.find('-') != std::string::npos) {
        for (char& c : out) {
          if (c == ' ' || c == '-') c = '0';
          if (c >= '0' && c <= '9') c = static_cast<char>('0' + ('9' - c));
        }
        out[0] = ',';
      } else {
        for (char& c : out)
          if (c == ' ') c = '0';
      }
      return true;
    }
    case 'D':
      if (!v.isDate()) return false;
      out = v.date().dtos();
      out.resize(size, ' ');
      return true;
    case 'L':
      if (!v.isLogical()) return false;
      out.assign(size, ' ');
      if (size) out[0] = v.logical() ? 'T' : 'F';
      return true;
    default:
      return false;
  }
}

namespace {

// The bytes that every entry shares with the first, which need no pass of
// their own. Read on several threads for a large set: it is a pass over all
// of it.
std::size_t sharedPrefix(const char* a, std::size_t n, std::size_t stride) {
  const unsigned threads = n >= (1u << 16) ? workThreads() : 1;
  std::vector<std::size_t> common(threads, stride);
  onThreads(threads, [&](unsigned t) {
    std::size_t c = stride;
    for (std::size_t i = std::max<std::size_t>(1, n * t / threads), end = n * (t + 1) / threads;
         i < end && c > 0; ++i) {
      const char* e = a + i * stride;
      std::size_t k = 0;
      while (k < c && e[k] == a[k]) ++k;
      c = k;
    }
    common[t] = c;
  });
  return *std::min_element(common.begin(), common.end());
}

}  // namespace

void sortEntries(Entries& flat, std::size_t stride) {
  const std::size_t n = flat.size() / stride;
  if (n < 2) return;
  const std::size_t common = sharedPrefix(flat.data(), n, stride);
  std::unique_ptr<char[]> tmp(new char[flat.size()]);
  adviseLarge(tmp.get(), flat.size());
  const unsigned threads = workThreads();
  if (n >= (1u << 16) && threads > 1) {
    parallelSort(flat.data(), tmp.get(), n, stride, common, threads);
    return;
  }
  if (ascending(flat.data(), n, stride)) return;
  std::string one(stride, '\0');
  radixSort(flat.data(), tmp.get(), n, stride, common, false, one.data());
}

void putEntryRecno(char* entry, std::size_t keySize, std::uint32_t recno) {
  char* const p = entry + keySize;
  p[0] = static_cast<char>(recno >> 24);
  p[1] = static_cast<char>((recno >> 16) & 0xFF);
  p[2] = static_cast<char>((recno >> 8) & 0xFF);
  p[3] = static_cast<char>(recno & 0xFF);
}

// --- KeyStore ---

KeyStore::KeyStore(int keySize)
    : keySize_(keySize),
      stride_(entrySize(static_cast<std::size_t>(keySize))),
      cap_(std::max<std::size_t>(16, 16384 / stride_)) {}

void KeyStore::makeEntry(std::string_view key, std::uint32_t recno, char* out) const {
  const auto ks = static_cast<std::size_t>(keySize_);
  const std::size_t n = std::min(ks, key.size());
  if (n) std::memcpy(out, key.data(), n);
  std::memset(out + n, ' ', ks - n);
  putEntryRecno(out, ks, recno);
}

void KeyStore::clear() {
  blocks_.clear();
  firsts_.clear();
  base_ = Entries();
  views_ = 0;
  size_ = 0;
  ++version_;
}

void KeyStore::assignSorted(Entries flat) {
  clear();
  const std::size_t n = flat.size() / stride_;
  if (n == 0) return;
  base_ = std::move(flat);
  blocks_.reserve((n + cap_ - 1) / cap_);
  firsts_.reserve((n + cap_ - 1) / cap_ * stride_);
  for (std::size_t i = 0; i < n; i += cap_) {
    Block b;
    b.view = base_.data() + i * stride_;
    b.count = static_cast<std::uint32_t>(std::min(cap_, n - i));
    firsts_.append(b.view, stride_);
    blocks_.push_back(std::move(b));
  }
  views_ = blocks_.size();
  size_ = n;
}

char* KeyStore::owned(std::size_t b) {
  Block& blk = blocks_[b];
  if (blk.view) {
    blk.own.assign(cap_ * stride_, '\0');
    std::memcpy(blk.own.data(), blk.view, blk.count * stride_);
    blk.view = nullptr;
    if (--views_ == 0) base_ = Entries();
  }
  return blk.own.data();
}

void KeyStore::dropBlock(std::size_t b) {
  if (blocks_[b].view && --views_ == 0) base_ = Entries();
  blocks_.erase(blocks_.begin() + static_cast<std::ptrdiff_t>(b));
  firsts_.erase(b * stride_, stride_);
}

std::size_t KeyStore::blockFor(const char* e) const {
  // The last block whose first entry is not above e.
  std::size_t lo = 0, hi = blocks_.size();
  while (lo < hi) {
    const std::size_t mid = (lo + hi) / 2;
    if (std::memcmp(firsts_.data() + mid * stride_, e, stride_) <= 0)
      lo = mid + 1;
    else
      hi = mid;
  }
  return lo == 0 ? 0 : lo - 1;
}

void KeyStore::refreshFirst(std::size_t b) {
  std::memcpy(firsts_.data() + b * stride_, blocks_[b].data(), stride_);
}

namespace {
std::uint32_t lowerIn(const char* data, std::uint32_t count, std::size_t stride, const char* e,
                      std::size_t len) {
  std::uint32_t lo = 0, hi = count;
  while (lo < hi) {
    const std::uint32_t mid = (lo + hi) / 2;
    if (std::memcmp(data + mid * stride, e, len) < 0)
      lo = mid + 1;
    else
      hi = mid;
  }
  return lo;
}
}  // namespace

void KeyStore::insert(std::string_view key, std::uint32_t recno) {
  char e[300];
  makeEntry(key, recno, e);
  ++version_;
  ++size_;
  if (blocks_.empty()) {
    Block b;
    b.own.assign(cap_ * stride_, '\0');
    std::memcpy(b.own.data(), e, stride_);
    b.count = 1;
    blocks_.push_back(std::move(b));
    firsts_.assign(e, stride_);
    return;
  }
  std::size_t b = blockFor(e);
  std::uint32_t idx = lowerIn(blocks_[b].data(), blocks_[b].count, stride_, e, stride_);
  if (blocks_[b].count == cap_) {
    const auto half = static_cast<std::uint32_t>(cap_ / 2);
    Block nb;
    nb.own.assign(cap_ * stride_, '\0');
    nb.count = blocks_[b].count - half;
    std::memcpy(nb.own.data(), blocks_[b].data() + half * stride_, nb.count * stride_);
    blocks_[b].count = half;
    blocks_.insert(blocks_.begin() + static_cast<std::ptrdiff_t>(b + 1), std::move(nb));
    firsts_.insert((b + 1) * stride_, blocks_[b + 1].data(), stride_);
    if (idx > half) {
      ++b;
      idx -= half;
    }
  }
  char* at = owned(b) + idx * stride_;
  Block& blk = blocks_[b];
  std::memmove(at + stride_, at, (blk.count - idx) * stride_);
  std::memcpy(at, e, stride_);
  ++blk.count;
  if (idx == 0) refreshFirst(b);
}

bool KeyStore::erase(std::string_view key, std::uint32_t recno) {
  Pos p = find(key, recno);
  if (atEnd(p)) return false;
  if (blocks_[p.block].count == 1) {
    dropBlock(p.block);
  } else {
    char* at = owned(p.block) + p.idx * stride_;
    Block& blk = blocks_[p.block];
    std::memmove(at, at + stride_, (blk.count - p.idx - 1) * stride_);
    --blk.count;
    if (p.idx == 0) refreshFirst(p.block);
  }
  --size_;
  ++version_;
  return true;
}

KeyStore::Pos KeyStore::find(std::string_view key, std::uint32_t recno) const {
  if (blocks_.empty()) return end();
  char e[300];
  makeEntry(key, recno, e);
  const std::size_t b = blockFor(e);
  const Block& blk = blocks_[b];
  const std::uint32_t idx = lowerIn(blk.data(), blk.count, stride_, e, stride_);
  if (idx < blk.count && std::memcmp(blk.data() + idx * stride_, e, stride_) == 0)
    return {static_cast<std::uint32_t>(b), idx};
  return end();
}

KeyStore::Pos KeyStore::lowerBound(std::string_view prefix) const {
  const std::size_t len = std::min(prefix.size(), static_cast<std::size_t>(keySize_));
  const char* const want = prefix.data();
  const std::size_t n = blocks_.size();
  // The answer lies in block c when c's first entry is below prefix and the
  // next block's is not (the first block when its first entry is not).
  auto holds = [&](std::size_t c) {
    return std::memcmp(firsts_.data() + c * stride_, want, len) < 0 &&
           (c + 1 == n || std::memcmp(firsts_.data() + (c + 1) * stride_, want, len) >= 0);
  };
  // Keys sought in ascending order land where the last one did or just
  // after it: that block and the next are tried before a search.
  std::size_t c = n;
  std::uint32_t from = 0;
  if (hintVersion_ == version_ && hint_.block < n) {
    if (holds(hint_.block)) {
      c = hint_.block;
      if (std::memcmp(entry(hint_), want, len) < 0) from = hint_.idx + 1;
    } else if (hint_.block + 1 < n && holds(hint_.block + 1)) {
      c = hint_.block + 1;
    }
  }
  const bool searched = c == n;
  bool remember = false;
  if (searched) {
    if (memoVersion_ != version_) {
      memo_.clear();
      memoVersion_ = version_;
      searchedOnce_ = false;
    }
    remember = std::exchange(searchedOnce_, true);
    if (const char* m = memo_.find({want, len})) {
      Pos p;
      std::memcpy(&p.block, m, 4);
      std::memcpy(&p.idx, m + 4, 4);
      return p;
    }
    // First block whose first entry is at or after prefix.
    std::size_t lo = 0, hi = n;
    while (lo < hi) {
      const std::size_t mid = (lo + hi) / 2;
      if (std::memcmp(firsts_.data() + mid * stride_, want, len) < 0)
        lo = mid + 1;
      else
        hi = mid;
    }
    if (lo == 0) {
      if (remember) std::memset(memo_.put({want, len}), 0, 8);
      return {0, 0};
    }
    c = lo - 1;
  }
  const Block& blk = blocks_[c];
  const char* const data = blk.data();
  std::uint32_t idx;
  if (from > 0) {
    // A gallop from the last answer, then a search in the last step.
    std::uint32_t lo = from, step = 1;
    while (lo < blk.count && std::memcmp(data + lo * stride_, want, len) < 0) {
      from = lo + 1;
      lo += step;
      step *= 2;
    }
    const std::uint32_t hi = std::min(lo, blk.count);
    idx = from + lowerIn(data + from * stride_, hi - from, stride_, want, len);
  } else {
    idx = lowerIn(data, blk.count, stride_, want, len);
  }
  hintVersion_ = version_;
  const Pos answer =
      idx < blk.count ? Pos{static_cast<std::uint32_t>(c), idx} : Pos{static_cast<std::uint32_t>(c + 1), 0};
  hint_ = idx < blk.count ? answer : Pos{static_cast<std::uint32_t>(c), blk.count - 1};
  if (remember) {
    char* m = memo_.put({want, len});
    std::memcpy(m, &answer.block, 4);
    std::memcpy(m + 4, &answer.idx, 4);
  }
  return answer;
}

KeyStore::Pos KeyStore::last() const {
  if (blocks_.empty()) return end();
  return {static_cast<std::uint32_t>(blocks_.size() - 1), blocks_.back().count - 1};
}

KeyStore::Pos KeyStore::at(std::size_t i) const {
  for (std::size_t b = 0; b < blocks_.size(); ++b) {
    if (i < blocks_[b].count) return {static_cast<std::uint32_t>(b), static_cast<std::uint32_t>(i)};
    i -= blocks_[b].count;
  }
  return end();
}

bool KeyStore::prev(Pos& p) const {
  if (atEnd(p)) {
    if (blocks_.empty()) return false;
    p = last();
    return true;
  }
  if (p.idx > 0) {
    --p.idx;
    return true;
  }
  if (p.block == 0) return false;
  --p.block;
  p.idx = blocks_[p.block].count - 1;
  return true;
}

// --- the file ---

namespace {

struct TreeShape {
  std::size_t keySize, stride, itemSize, itemsAt;
  unsigned m;
  std::string blank;  // a page without items: the offset table filled in

  explicit TreeShape(std::size_t ks)
      : keySize(ks), stride(entrySize(ks)), itemSize(ks + 8), m(maxItems(ks + 8)), blank(kPage, '\0') {
    itemsAt = 2 + (m + 1) * 2;
    for (unsigned k = 0; k <= m; ++k)
      le16(blank.data() + 2 + 2 * k, static_cast<unsigned>(itemsAt + k * itemSize));
  }
};

// Writes one level of cnt entries (taken in order from next()) as pages;
// their children are the pages from childFirst on, 0 for leaves. The
// separators between the pages go to up. False on a write failure.
template <class Next>
bool writeLevel(Replacement& r, const TreeShape& t, Next& next, std::size_t cnt, std::uint32_t childFirst,
                std::size_t& pages, std::string& up) {
  const std::size_t m = t.m;
  pages = (cnt + 1 + m) / (m + 1);  // ceil((cnt + 1) / (m + 1))
  const std::size_t items = cnt - (pages - 1);
  const std::size_t base = items / pages, extra = items % pages;
  const bool leaf = childFirst == 0;
  std::uint32_t child = childFirst;
  up.clear();
  up.reserve((pages - 1) * t.stride);
  for (std::size_t p = 0; p < pages; ++p) {
    const std::size_t c = base + (p < extra ? 1 : 0);
    char* page = r.append(kPage);
    if (!page) return false;
    std::memcpy(page, t.blank.data(), kPage);
    le16(page, static_cast<unsigned>(c));
    char* it = page + t.itemsAt;
    for (std::size_t k = 0; k < c; ++k, it += t.itemSize) {
      const char* e = next();
      le32(it, leaf ? 0 : static_cast<std::uint32_t>(child++ * kPage));
      le32(it + 4, entryRecno(e, t.keySize));
      std::memcpy(it + 8, e, t.keySize);
    }
    if (!leaf) le32(it, static_cast<std::uint32_t>(child++ * kPage));
    if (p + 1 < pages) up.append(next(), t.stride);
  }
  return true;
}

// Writes the B-tree of n sorted entries (taken in order from next()) after
// the header page, leaves first and the root last. Returns the root's
// offset, or 0 on a write failure.
template <class Next>
std::uint32_t writeTree(Replacement& r, Next next, std::size_t n, std::size_t keySize) {
  const TreeShape t(keySize);
  std::string up, above;
  std::size_t pages = 0;
  std::uint32_t first = 1;
  if (!writeLevel(r, t, next, n, 0, pages, up)) return 0;
  // Each level above is made of the separators of the level below.
  while (pages > 1) {
    above.swap(up);
    const char* p = above.data();
    const std::size_t cnt = above.size() / t.stride;
    const std::uint32_t below = first;
    first += static_cast<std::uint32_t>(pages);
    auto walk = [&p, &t] {
      const char* e = p;
      p += t.stride;
      return e;
    };
    if (!writeLevel(r, t, walk, cnt, below, pages, up)) return 0;
  }
  return static_cast<std::uint32_t>(first * kPage);
}

std::string headerPage(const std::string& expr, const KeyType& kt, bool unique, unsigned version,
                       std::uint32_t root) {
  std::string h(kPage, '\0');
  const std::size_t itemSize = static_cast<std::size_t>(kt.size) + 8;
  const unsigned m = maxItems(itemSize);
  le16(h.data(), 6);
  le16(h.data() + 2, version);
  le32(h.data() + 4, root);
  le32(h.data() + 8, 0);
  le16(h.data() + 12, static_cast<unsigned>(itemSize));
  le16(h.data() + 14, static_cast<unsigned>(kt.size));
  le16(h.data() + 16, static_cast<unsigned>(kt.decimals));
  le16(h.data() + 18, m);
  le16(h.data() + 20, m / 2);
  std::memcpy(h.data() + kExprAt, expr.data(), std::min(expr.size(), kExprLen - 1));
  h[kUniqueAt] = unique ? 1 : 0;
  return h;
}

}  // namespace

bool Index::write(bool selfHeld, const Entries* sorted) {
  const std::size_t stride = entrySize(static_cast<std::size_t>(kt_.size));
  const std::size_t count = sorted ? sorted->size() / stride : keys_.size();
  const fs::path target = file_.path();
  for (;;) {
    Replacement r;
    bool ok = r.begin(target, selfHeld);
    std::string hdr = headerPage(expression_, kt_, unique_, version_, 0);
    ok = ok && r.write(hdr.data(), hdr.size());
    std::uint32_t root = 0;
    if (ok && sorted) {
      const char* e = sorted->data();
      root = writeTree(
          r, [&e, stride] { return std::exchange(e, e + stride); }, count,
          static_cast<std::size_t>(kt_.size));
    } else if (ok) {
      KeyStore::Pos at = keys_.begin();
      root = writeTree(
          r,
          [&at, this] {
            const char* e = keys_.entry(at);
            keys_.next(at);
            return e;
          },
          count, static_cast<std::size_t>(kt_.size));
    }
    ok = ok && root != 0;
    if (ok) {
      le32(hdr.data() + 4, root);
      ok = r.writeAt(4, hdr.data() + 4, 4) && (switch_ ? switch_->stage(r, &file_) : r.commit(&file_));
    }
    if (ok) {
      dirty_ = false;
      return true;
    }
    err::Error e = selfHeld ? fail::write(target, r.error()) : fail::create(target, r.error(), 1006);
    if (!err::retry(es_, e)) return false;
  }
}

std::unique_ptr<Index> Index::create(const fs::path& p, const std::string& expression, const KeyType& kt,
                                     Entries sortedEntries, err::ErrorSystem& es, Switch* sw) {
  std::unique_ptr<Index> ix(new Index(es));
  ix->switch_ = sw;
  ix->expression_ = expression;
  ix->kt_ = kt;
  ix->keys_ = KeyStore(kt.size);
  ix->file_.adopt(-1, p);
  if (!ix->write(false, &sortedEntries)) return nullptr;
  ix->keys_.assignSorted(std::move(sortedEntries));
  return ix;
}

namespace {

// What the first page of an index file says about its tree.
struct TreeHeader {
  unsigned keySize = 0, itemSize = 0, m = 0;
  std::uint32_t root = 0;
  std::string expression;
};

// Checks the first page (got bytes of it read, size the file's); what is
// wrong with it, or empty.
std::string readHeader(const std::string& hdr, std::size_t got, std::uint64_t size, TreeHeader& h) {
  h.keySize = rd16(hdr.data() + 14);
  h.itemSize = rd16(hdr.data() + 12);
  h.m = rd16(hdr.data() + 18);
  h.root = rd32(hdr.data() + 4);
  if (got < kPage) return "shorter than an index header";
  if (static_cast<unsigned char>(hdr[0]) != 6) return "not an NTX index";
  if (h.keySize < 1 || h.keySize > 256 || h.itemSize != h.keySize + 8) return "damaged key size";
  if (h.m < 2 || 2 + (h.m + 1) * 2 > kPage) return "damaged page size";
  if (h.root == 0 || h.root % kPage != 0 || static_cast<std::uint64_t>(h.root) + kPage > size)
    return "damaged root page";
  std::size_t exprLen = 0;
  while (exprLen < kExprLen && hdr[kExprAt + exprLen] != '\0') ++exprLen;
  h.expression.assign(hdr.data() + kExprAt, exprLen);
  while (!h.expression.empty() && h.expression.back() == ' ') h.expression.pop_back();
  if (h.expression.empty()) return "no key expression";
  return {};
}

// Walks the tree in key order, every page at most once, appending its
// entries to flat; what is wrong with it, or empty.
std::string walkTree(File& file, const TreeHeader& h, std::uint64_t size, std::uint32_t lastRec,
                     Entries& flat) {
  const std::size_t keySize = h.keySize;
  const std::size_t stride = entrySize(keySize);
  std::string why;
  std::vector<bool> seen(static_cast<std::size_t>(size / kPage) + 1, false);
  struct Frame {
    std::string page;
    unsigned k = 0, count = 0;
  };
  std::vector<Frame> stack;
  auto push = [&](std::uint32_t off) -> bool {
    if (off % kPage != 0 || static_cast<std::uint64_t>(off) + kPage > size || off == 0) {
      why = "page offset outside the file";
      return false;
    }
    if (seen[off / kPage]) {
      why = "page used twice";
      return false;
    }
    if (stack.size() >= 64) {
      why = "tree too deep";
      return false;
    }
    seen[off / kPage] = true;
    Frame f;
    f.page.assign(kPage, '\0');
    std::size_t g = 0;
    if (!file.readAt(off, f.page.data(), kPage, g) || g != kPage) {
      why = "page cannot be read";
      return false;
    }
    f.count = rd16(f.page.data());
    if (f.count > h.m) {
      why = "page holds too many keys";
      return false;
    }
    for (unsigned k = 0; k <= f.count; ++k) {
      const unsigned at = rd16(f.page.data() + 2 + 2 * k);
      if (at + h.itemSize > kPage) {
        why = "item outside its page";
        return false;
      }
    }
    stack.push_back(std::move(f));
    return true;
  };
  bool ok = push(h.root);
  // Each frame: before item k, descend into its child; then emit item k.
  std::vector<bool> descended;
  descended.push_back(false);
  while (ok && !stack.empty()) {
    Frame& f = stack.back();
    if (f.k > f.count) {
      stack.pop_back();
      descended.pop_back();
      continue;
    }
    const char* item = f.page.data() + rd16(f.page.data() + 2 + 2 * f.k);
    if (!descended.back()) {
      descended.back() = true;
      const std::uint32_t child = rd32(item);
      if (child != 0) {
        ok = push(child);
        descended.push_back(false);
        continue;
      }
    }
    if (f.k < f.count) {
      const std::uint32_t rec = rd32(item + 4);
      if (rec == 0 || rec > lastRec) return "record number beyond the table";
      const std::size_t at = flat.size();
      flat.resize(at + stride);
      std::memcpy(flat.data() + at, item + 8, keySize);
      putEntryRecno(flat.data() + at, keySize, rec);
      if (at > 0 && std::memcmp(flat.data() + at - stride, flat.data() + at, stride) >= 0)
        return "keys out of order";
    }
    ++f.k;
    descended.back() = false;
  }
  if (!ok && why.empty()) why = "damaged page";
  return why;
}

}  // namespace

std::unique_ptr<Index> Index::open(const fs::path& p, std::uint32_t lastRec, err::ErrorSystem& es,
                                   Switch* sw) {
  const fs::path staged = sw ? sw->staged(p) : fs::path();
  for (;;) {
    std::unique_ptr<Index> ix(new Index(es));
    ix->switch_ = sw;
    if (!ix->file_.open(staged.empty() ? p : staged, File::Mode::ReadWrite, File::Lock::Exclusive)) {
      if (err::retry(es, fail::open(p, ix->file_.error(), 1003))) continue;
      return nullptr;
    }
    ix->file_.setName(p);
    std::uint64_t size = 0;
    std::string hdr(kPage, '\0');
    std::size_t got = 0;
    if (!ix->file_.size(size) || !ix->file_.readAt(0, hdr.data(), kPage, got)) {
      if (err::retry(es, fail::read(p, ix->file_.error()))) continue;
      return nullptr;
    }
    TreeHeader h;
    Entries flat;
    std::string why = readHeader(hdr, got, size, h);
    if (why.empty()) why = walkTree(ix->file_, h, size, lastRec, flat);
    if (!why.empty()) {
      ix->file_.close();
      // Damage is not retried (the error says so): a Retry is taken as Default.
      es.raise(fail::corrupt(p, why));
      return nullptr;
    }
    ix->expression_ = std::move(h.expression);
    ix->kt_ = {'C', static_cast<int>(h.keySize), static_cast<int>(rd16(hdr.data() + 16))};
    ix->unique_ = hdr[kUniqueAt] != 0;
    ix->version_ = rd16(hdr.data() + 2);
    ix->keys_ = KeyStore(static_cast<int>(h.keySize));
    ix->keys_.assignSorted(std::move(flat));
    return ix;
  }
}

bool Index::flush() {
  if (!dirty_) return true;
  return write(true, nullptr);
}

bool Index::replaceAll(Entries sortedEntries) {
  const bool ok = write(true, &sortedEntries);
  keys_.assignSorted(std::move(sortedEntries));
  dirty_ = !ok;
  return ok;
}

bool Index::close() {
  bool ok = flush();
  file_.close();
  return ok;
}

}  // namespace rt::db
