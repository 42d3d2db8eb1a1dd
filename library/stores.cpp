#include "stores.h"

#include <algorithm>

namespace vandrel1 {

StoreHandle bpluscarnet;
StoreHandle bpluscarnetancien;
StoreHandle bpluscarnetid;

namespace {
std::string_view cut(std::string_view key) { return key.substr(0, std::min(key.size(), kKeyLength)); }
} // namespace

IndexKey::IndexKey(std::string_view key) {
  const std::string_view kept = cut(key);
  length_ = static_cast<uint8_t>(kept.size());
  std::memcpy(bytes_, kept.data(), kept.size());
}

void Store::insert(std::string_view key, std::string_view value) {
  records_.push_back(Entry{std::string(key), std::string(value)});
  try {
    // A multimap puts a new key after the equal ones: insertion order is kept.
    index_.emplace(IndexKey(key), records_.size() - 1);
  } catch (...) {
    records_.pop_back();
    throw;
  }
}

const Entry* Store::find(std::string_view key) const {
  const auto first = index_.lower_bound(cut(key));
  if (first == index_.end() || first->first.view() != cut(key)) return nullptr;
  return &records_[first->second];
}

void Store::walk(const std::function<void(const Entry&)>& visit) const {
  for (const auto& [key, record] : index_) visit(records_[record]);
}

void creatcar(StoreHandle& handle) {
  if (!handle) handle = std::make_unique<Store>();
}

void fermecar(StoreHandle& handle) { handle.reset(); }

void inserenom_b(StoreHandle& handle, std::string_view key, std::string_view value) {
  if (handle) handle->insert(key, value);
}

bool present_b(const StoreHandle& handle, std::string_view key) {
  return handle && handle->holds(key);
}

} // namespace vandrel1
