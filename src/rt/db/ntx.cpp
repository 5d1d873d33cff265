#include "rt/db/ntx.h"

#include <algorithm>
#include <atomic>
#include <thread>
#include <cerrno>
#include <cstring>

#include "rt/db/numtext.h"

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
std::uint32_t be32(const char* p) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(p[0])) << 24 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(p[1])) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(p[2])) << 8 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(p[3]));
}

void insertionSort(char* a, std::size_t n, std::size_t stride, std::size_t depth, char* tmp) {
  for (std::size_t i = 1; i < n; ++i) {
    char* cur = a + i * stride;
    std::size_t j = i;
    while (j > 0 && std::memcmp(a + (j - 1) * stride + depth, cur + depth, stride - depth) > 0) --j;
    if (j != i) {
      std::memcpy(tmp, cur, stride);
      std::memmove(a + (j + 1) * stride, a + j * stride, (i - j) * stride);
      std::memcpy(a + j * stride, tmp, stride);
    }
  }
}

// Sorts the n entries at in by their bytes from depth on. The result ends in
// out when toOut, else in in; in and out are the same range of two buffers.
void radixSort(char* in, char* out, std::size_t n, std::size_t stride, std::size_t depth, bool toOut, char* one,
               bool parallel = false) {
  for (;;) {
    if (n < 48 || depth >= stride) {
      if (depth < stride) insertionSort(in, n, stride, depth, one);
      if (toOut) std::memcpy(out, in, n * stride);
      return;
    }
    std::size_t count[256] = {};
    for (std::size_t i = 0; i < n; ++i) ++count[static_cast<unsigned char>(in[i * stride + depth])];
    if (count[static_cast<unsigned char>(in[depth])] == n) {
      ++depth;
      continue;
    }
    std::size_t start[256];
    std::size_t s = 0;
    for (int b = 0; b < 256; ++b) {
      start[b] = s;
      s += count[b];
    }
    std::size_t fill[256];
    std::memcpy(fill, start, sizeof fill);
    for (std::size_t i = 0; i < n; ++i) {
      const char* e = in + i * stride;
      std::memcpy(out + fill[static_cast<unsigned char>(e[depth])]++ * stride, e, stride);
    }
    if (parallel && n >= (1u << 16)) {
      // The buckets are disjoint: sort them on several threads.
      std::atomic<int> nextBucket{0};
      auto work = [&] {
        std::string own(stride, '\0');
        for (int b; (b = nextBucket++) < 256;)
          if (count[b])
            radixSort(out + start[b] * stride, in + start[b] * stride, count[b], stride, depth + 1, !toOut,
                      own.data());
      };
      const unsigned threads = std::clamp(std::thread::hardware_concurrency(), 1u, 8u);
      std::vector<std::thread> pool;
      for (unsigned t = 1; t < threads; ++t) pool.emplace_back(work);
      work();
      for (std::thread& t : pool) t.join();
      return;
    }
    for (int b = 0; b < 256; ++b)
      if (count[b])
        radixSort(out + start[b] * stride, in + start[b] * stride, count[b], stride, depth + 1, !toOut, one);
    return;
  }
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

void sortEntries(std::string& flat, std::size_t stride) {
  const std::size_t n = flat.size() / stride;
  if (n < 2) return;
  // Bytes that every entry shares need no pass of their own.
  const char* a = flat.data();
  std::size_t common = stride;
  for (std::size_t i = 1; i < n && common > 0; ++i) {
    const char* e = a + i * stride;
    std::size_t k = 0;
    while (k < common && e[k] == a[k]) ++k;
    common = k;
  }
  std::string tmp(flat.size(), '\0');
  std::string one(stride, '\0');
  radixSort(flat.data(), tmp.data(), n, stride, common, false, one.data(), true);
}

// --- KeyStore ---

KeyStore::KeyStore(int keySize)
    : keySize_(keySize), stride_(static_cast<std::size_t>(keySize) + 4),
      cap_(std::max<std::size_t>(16, 16384 / (static_cast<std::size_t>(keySize) + 4))) {}

void KeyStore::makeEntry(std::string_view key, std::uint32_t recno, char* out) const {
  const auto ks = static_cast<std::size_t>(keySize_);
  const std::size_t n = std::min(ks, key.size());
  if (n) std::memcpy(out, key.data(), n);
  std::memset(out + n, ' ', ks - n);
  out[ks] = static_cast<char>(recno >> 24);
  out[ks + 1] = static_cast<char>((recno >> 16) & 0xFF);
  out[ks + 2] = static_cast<char>((recno >> 8) & 0xFF);
  out[ks + 3] = static_cast<char>(recno & 0xFF);
}

void KeyStore::clear() {
  blocks_.clear();
  firsts_.clear();
  size_ = 0;
  ++version_;
}

void KeyStore::assignSorted(std::string flat) {
  clear();
  const std::size_t n = flat.size() / stride_;
  const std::size_t fill = std::max<std::size_t>(1, cap_ * 3 / 4);
  for (std::size_t i = 0; i < n; i += fill) {
    const std::size_t c = std::min(fill, n - i);
    Block b;
    b.data.assign(cap_ * stride_, '\0');
    std::memcpy(b.data.data(), flat.data() + i * stride_, c * stride_);
    b.count = static_cast<std::uint32_t>(c);
    firsts_.append(flat.data() + i * stride_, stride_);
    blocks_.push_back(std::move(b));
  }
  size_ = n;
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
  std::memcpy(firsts_.data() + b * stride_, blocks_[b].data.data(), stride_);
}

namespace {
std::uint32_t lowerIn(const char* data, std::uint32_t count, std::size_t stride, const char* e, std::size_t len) {
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
    b.data.assign(cap_ * stride_, '\0');
    std::memcpy(b.data.data(), e, stride_);
    b.count = 1;
    blocks_.push_back(std::move(b));
    firsts_.assign(e, stride_);
    return;
  }
  std::size_t b = blockFor(e);
  std::uint32_t idx = lowerIn(blocks_[b].data.data(), blocks_[b].count, stride_, e, stride_);
  if (blocks_[b].count == cap_) {
    const auto half = static_cast<std::uint32_t>(cap_ / 2);
    Block nb;
    nb.data.assign(cap_ * stride_, '\0');
    nb.count = blocks_[b].count - half;
    std::memcpy(nb.data.data(), blocks_[b].data.data() + half * stride_, nb.count * stride_);
    blocks_[b].count = half;
    blocks_.insert(blocks_.begin() + static_cast<std::ptrdiff_t>(b + 1), std::move(nb));
    firsts_.insert((b + 1) * stride_, blocks_[b + 1].data.data(), stride_);
    if (idx > half) {
      ++b;
      idx -= half;
    }
  }
  Block& blk = blocks_[b];
  char* at = blk.data.data() + idx * stride_;
  std::memmove(at + stride_, at, (blk.count - idx) * stride_);
  std::memcpy(at, e, stride_);
  ++blk.count;
  if (idx == 0) refreshFirst(b);
}

bool KeyStore::erase(std::string_view key, std::uint32_t recno) {
  Pos p = find(key, recno);
  if (atEnd(p)) return false;
  Block& blk = blocks_[p.block];
  char* at = blk.data.data() + p.idx * stride_;
  std::memmove(at, at + stride_, (blk.count - p.idx - 1) * stride_);
  --blk.count;
  if (blk.count == 0) {
    blocks_.erase(blocks_.begin() + p.block);
    firsts_.erase(p.block * stride_, stride_);
  } else if (p.idx == 0) {
    refreshFirst(p.block);
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
  const std::uint32_t idx = lowerIn(blk.data.data(), blk.count, stride_, e, stride_);
  if (idx < blk.count && std::memcmp(blk.data.data() + idx * stride_, e, stride_) == 0)
    return {static_cast<std::uint32_t>(b), idx};
  return end();
}

KeyStore::Pos KeyStore::lowerBound(std::string_view prefix) const {
  const std::size_t len = std::min(prefix.size(), static_cast<std::size_t>(keySize_));
  // First block whose first entry is at or after prefix.
  std::size_t lo = 0, hi = blocks_.size();
  while (lo < hi) {
    const std::size_t mid = (lo + hi) / 2;
    if (std::memcmp(firsts_.data() + mid * stride_, prefix.data(), len) < 0)
      lo = mid + 1;
    else
      hi = mid;
  }
  if (lo == 0) return {0, 0};
  const Block& blk = blocks_[lo - 1];
  const std::uint32_t idx = lowerIn(blk.data.data(), blk.count, stride_, prefix.data(), len);
  if (idx < blk.count) return {static_cast<std::uint32_t>(lo - 1), idx};
  return {static_cast<std::uint32_t>(lo), 0};
}

KeyStore::Pos KeyStore::last() const {
  if (blocks_.empty()) return end();
  return {static_cast<std::uint32_t>(blocks_.size() - 1), blocks_.back().count - 1};
}

void KeyStore::next(Pos& p) const {
  if (atEnd(p)) return;
  if (++p.idx >= blocks_[p.block].count) {
    ++p.block;
    p.idx = 0;
  }
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

const char* KeyStore::entry(Pos p) const { return blocks_[p.block].data.data() + p.idx * stride_; }

std::string_view KeyStore::key(Pos p) const { return {entry(p), static_cast<std::size_t>(keySize_)}; }

std::uint32_t KeyStore::recno(Pos p) const { return be32(entry(p) + keySize_); }

// --- the file ---

namespace {

// Writes the B-tree of n sorted entries after the header page, leaves first
// and the root last. Returns the root's offset, or 0 on a write failure.
std::uint32_t writeTree(Replacement& r, const char* flat, std::size_t n, std::size_t keySize) {
  const std::size_t stride = keySize + 4;
  const std::size_t itemSize = keySize + 8;
  const unsigned m = maxItems(itemSize);
  const std::size_t itemsAt = 2 + (m + 1) * 2;
  std::string blank(kPage, '\0');
  for (unsigned k = 0; k <= m; ++k) le16(blank.data() + 2 + 2 * k, static_cast<unsigned>(itemsAt + k * itemSize));
  std::string page(kPage, '\0');
  std::uint32_t nextPage = 1;

  // The leaves are cut from flat; each level above from the separators below.
  std::string above;
  const char* level = flat;
  std::size_t cnt = n;
  std::uint32_t childFirst = 0;  // first page of the level below; 0 for leaves
  for (bool leaf = true;; leaf = false) {
    const std::size_t pages = (cnt + 1 + m) / (m + 1);  // ceil((cnt + 1) / (m + 1))
    const std::size_t items = cnt - (pages - 1);
    const std::size_t base = items / pages, extra = items % pages;
    std::string up;
    std::size_t i = 0;
    std::uint32_t child = childFirst;
    const std::uint32_t levelFirst = nextPage;
    for (std::size_t p = 0; p < pages; ++p) {
      const std::size_t c = base + (p < extra ? 1 : 0);
      std::memcpy(page.data(), blank.data(), kPage);
      le16(page.data(), static_cast<unsigned>(c));
      for (std::size_t k = 0; k < c; ++k, ++i) {
        char* it = page.data() + itemsAt + k * itemSize;
        const char* e = level + i * stride;
        le32(it, leaf ? 0 : static_cast<std::uint32_t>(child++ * kPage));
        le32(it + 4, be32(e + keySize));
        std::memcpy(it + 8, e, keySize);
      }
      if (!leaf) le32(page.data() + itemsAt + c * itemSize, static_cast<std::uint32_t>(child++ * kPage));
      if (p + 1 < pages) {
        up.append(level + i * stride, stride);
        ++i;
      }
      if (!r.write(page.data(), page.size())) return 0;
      ++nextPage;
    }
    if (pages == 1) return static_cast<std::uint32_t>(levelFirst * kPage);
    above = std::move(up);
    level = above.data();
    cnt = above.size() / stride;
    childFirst = levelFirst;
  }
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

bool Index::write(bool selfHeld, const std::string* sorted) {
  std::string own;
  if (!sorted) {
    own.reserve(keys_.size() * keys_.stride());
    for (KeyStore::Pos p = keys_.begin(); !keys_.atEnd(p); keys_.next(p)) own.append(keys_.entry(p), keys_.stride());
    sorted = &own;
  }
  const std::string& flat = *sorted;
  const std::size_t count = flat.size() / (static_cast<std::size_t>(kt_.size) + 4);
  const fs::path target = file_.path();
  for (;;) {
    Replacement r;
    bool ok = r.begin(target, selfHeld);
    std::string hdr = headerPage(expression_, kt_, unique_, version_, 0);
    ok = ok && r.write(hdr.data(), hdr.size());
    std::uint32_t root = ok ? writeTree(r, flat.data(), count, static_cast<std::size_t>(kt_.size)) : 0;
    ok = ok && root != 0;
    if (ok) {
      le32(hdr.data() + 4, root);
      ok = r.writeAt(4, hdr.data() + 4, 4) && r.commit(&file_);
    }
    if (ok) {
      dirty_ = false;
      return true;
    }
    err::Error e = selfHeld ? fail::write(target, r.error()) : fail::create(target, r.error(), 1006);
    if (es_.raise(e).kind != err::Answer::Kind::Retry) return false;
  }
}

std::unique_ptr<Index> Index::create(const fs::path& p, const std::string& expression, const KeyType& kt,
                                     std::string sortedEntries, err::ErrorSystem& es) {
  std::unique_ptr<Index> ix(new Index(es));
  ix->expression_ = expression;
  ix->kt_ = kt;
  ix->keys_ = KeyStore(kt.size);
  ix->file_.adopt(-1, p);
  if (!ix->write(false, &sortedEntries)) return nullptr;
  ix->keys_.assignSorted(std::move(sortedEntries));
  return ix;
}

std::unique_ptr<Index> Index::open(const fs::path& p, std::uint32_t lastRec, err::ErrorSystem& es) {
  for (;;) {
    std::unique_ptr<Index> ix(new Index(es));
    if (!ix->file_.open(p, File::Mode::ReadWrite, File::Lock::Exclusive)) {
      if (es.raise(fail::open(p, ix->file_.error(), 1003)).kind == err::Answer::Kind::Retry) continue;
      return nullptr;
    }
    std::uint64_t size = 0;
    std::string hdr(kPage, '\0');
    std::size_t got = 0;
    if (!ix->file_.size(size) || !ix->file_.readAt(0, hdr.data(), kPage, got)) {
      if (es.raise(fail::read(p, ix->file_.error())).kind == err::Answer::Kind::Retry) continue;
      return nullptr;
    }
    std::string why;
    const unsigned keySize = rd16(hdr.data() + 14);
    const unsigned itemSize = rd16(hdr.data() + 12);
    const unsigned m = rd16(hdr.data() + 18);
    const std::uint32_t root = rd32(hdr.data() + 4);
    std::string flat;
    if (got < kPage) {
      why = "shorter than an index header";
    } else if (static_cast<unsigned char>(hdr[0]) != 6) {
      why = "not an NTX index";
    } else if (keySize < 1 || keySize > 256 || itemSize != keySize + 8) {
      why = "damaged key size";
    } else if (m < 2 || 2 + (m + 1) * 2 > kPage) {
      why = "damaged page size";
    } else if (root == 0 || root % kPage != 0 || static_cast<std::uint64_t>(root) + kPage > size) {
      why = "damaged root page";
    } else {
      std::size_t exprLen = 0;
      while (exprLen < kExprLen && hdr[kExprAt + exprLen] != '\0') ++exprLen;
      ix->expression_.assign(hdr.data() + kExprAt, exprLen);
      while (!ix->expression_.empty() && ix->expression_.back() == ' ') ix->expression_.pop_back();
      if (ix->expression_.empty()) why = "no key expression";
    }
    if (why.empty()) {
      // Walk the tree in key order, every page at most once.
      const std::size_t stride = keySize + 4;
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
        if (!ix->file_.readAt(off, f.page.data(), kPage, g) || g != kPage) {
          why = "page cannot be read";
          return false;
        }
        f.count = rd16(f.page.data());
        if (f.count > m) {
          why = "page holds too many keys";
          return false;
        }
        for (unsigned k = 0; k <= f.count; ++k) {
          const unsigned at = rd16(f.page.data() + 2 + 2 * k);
          if (at + itemSize > kPage) {
            why = "item outside its page";
            return false;
          }
        }
        stack.push_back(std::move(f));
        return true;
      };
      bool ok = push(root);
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
          if (rec == 0 || rec > lastRec) {
            why = "record number beyond the table";
            ok = false;
            break;
          }
          const std::size_t at = flat.size();
          flat.resize(at + stride);
          std::memcpy(flat.data() + at, item + 8, keySize);
          flat[at + keySize] = static_cast<char>(rec >> 24);
          flat[at + keySize + 1] = static_cast<char>((rec >> 16) & 0xFF);
          flat[at + keySize + 2] = static_cast<char>((rec >> 8) & 0xFF);
          flat[at + keySize + 3] = static_cast<char>(rec & 0xFF);
          if (at > 0 && std::memcmp(flat.data() + at - stride, flat.data() + at, stride) >= 0) {
            why = "keys out of order";
            ok = false;
            break;
          }
        }
        ++f.k;
        descended.back() = false;
      }
      if (!ok && why.empty()) why = "damaged page";
    }
    if (!why.empty()) {
      ix->file_.close();
      if (es.raise(fail::corrupt(p, why)).kind == err::Answer::Kind::Retry) continue;
      return nullptr;
    }
    ix->kt_ = {'C', static_cast<int>(keySize), static_cast<int>(rd16(hdr.data() + 16))};
    ix->unique_ = hdr[kUniqueAt] != 0;
    ix->version_ = rd16(hdr.data() + 2);
    ix->keys_ = KeyStore(static_cast<int>(keySize));
    ix->keys_.assignSorted(std::move(flat));
    return ix;
  }
}

bool Index::flush() {
  if (!dirty_) return true;
  return write(true, nullptr);
}

bool Index::replaceAll(std::string sortedEntries) {
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
