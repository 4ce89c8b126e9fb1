#include "pdf/document/zkPDFUseCounts.h"

#include <unordered_map>

namespace sarvane::pdf::doc {

using namespace sarvane::pdf;

void ForEachDirectReference(const TzkPDFObject* value,
                            const std::function<void(const TzkPDFIndirectReference&)>& visit) {
  std::vector<const TzkPDFObject*> stack;
  if (value) stack.push_back(value);
  while (!stack.empty()) {
    const TzkPDFObject* object = stack.back();
    stack.pop_back();
    switch (object->Kind()) {
      case okIndirectReference:
        visit(*static_cast<const TzkPDFIndirectReference*>(object));
        break;
      case okArray: {
        const auto& array = *static_cast<const TzkPDFArrayObject*>(object);
        for (int32_t i = array.Count() - 1; i >= 0; --i) stack.push_back(array.ItemAt(i));
        break;
      }
      case okDictionary: {
        const auto& dict = *static_cast<const TzkPDFDictObject*>(object);
        for (int32_t i = dict.Count() - 1; i >= 0; --i) stack.push_back(dict.ValueAt(i));
        break;
      }
      case okStream:
        stack.push_back(&static_cast<const TzkPDFStreamObject*>(object)->Dict());
        break;
      default:
        break;
    }
  }
}

bool IsPageObject(const TzkPDFObjectStore& store, const TzkPDFIndirectObject* object) {
  const auto* dict = object ? object->Value()->As<TzkPDFDictObject>() : nullptr;
  const auto* type = dict ? ObjectAs<TzkPDFNameObject>(store.Resolve(dict->Lookup("/Type"))) : nullptr;
  return type && type->Text() == "/Page";
}

TzkPDFIndirectObject* StoredTarget(const TzkPDFObjectStore& store, const TzkPDFObject* reference) {
  const auto* ref = ObjectAs<TzkPDFIndirectReference>(reference);
  if (!ref) return nullptr;
  if (TzkPDFIndirectObject* found = store.Find(ref)) return found;
  return store.Find(ref->DocumentNumber(), ref->ObjectNumber(), 0);
}

void CountReferences(const TzkPDFObjectStore& store, const TzkPDFObject* value) {
  ForEachDirectReference(value, [&](const TzkPDFIndirectReference& ref) {
    if (TzkPDFIndirectObject* target = StoredTarget(store, &ref)) target->IncUseCount();
  });
}

void ReleaseDropped(const TzkPDFObjectStore& store, const std::vector<const TzkPDFObject*>& dropped,
                    const std::vector<TzkPDFIndirectObject*>& group) {
  // Trial: the uses each member keeps once the dropped values and the
  // members' references to each other are taken away.
  std::unordered_map<TzkPDFIndirectObject*, int32_t> remaining;
  for (TzkPDFIndirectObject* member : group) {
    if (!IsPageObject(store, member)) remaining.emplace(member, member->UseCount());
  }
  auto inGroup = [&](TzkPDFIndirectObject* object) { return object && remaining.count(object) > 0; };
  auto trialRelease = [&](const TzkPDFIndirectReference& ref) {
    TzkPDFIndirectObject* target = StoredTarget(store, &ref);
    if (inGroup(target)) --remaining[target];
  };
  for (const auto& [member, uses] : remaining) ForEachDirectReference(member->Value(), trialRelease);
  for (const TzkPDFObject* value : dropped) ForEachDirectReference(value, trialRelease);

  // Members still used from outside stay, and so does all they reach.
  std::unordered_set<TzkPDFIndirectObject*> alive;
  std::vector<TzkPDFIndirectObject*> work;
  for (const auto& [member, uses] : remaining) {
    if (uses > 0 && alive.insert(member).second) work.push_back(member);
  }
  while (!work.empty()) {
    TzkPDFIndirectObject* member = work.back();
    work.pop_back();
    ForEachDirectReference(member->Value(), [&](const TzkPDFIndirectReference& ref) {
      TzkPDFIndirectObject* target = StoredTarget(store, &ref);
      if (inGroup(target) && alive.insert(target).second) work.push_back(target);
    });
  }

  // Apply: every use that goes away is given back; an object outside the
  // group that reaches zero gives back its own uses in turn.
  std::vector<TzkPDFIndirectObject*> freed;
  auto release = [&](const TzkPDFIndirectReference& ref) {
    TzkPDFIndirectObject* target = StoredTarget(store, &ref);
    if (!target || target->UseCount() <= 0 || IsPageObject(store, target)) return;
    target->DecUseCount();
    if (target->UseCount() == 0 && !inGroup(target)) freed.push_back(target);
  };
  for (const TzkPDFObject* value : dropped) ForEachDirectReference(value, release);
  std::vector<TzkPDFIndirectObject*> dead;
  for (const auto& [member, uses] : remaining) {
    if (!alive.count(member)) dead.push_back(member);
  }
  for (TzkPDFIndirectObject* member : dead) ForEachDirectReference(member->Value(), release);
  for (TzkPDFIndirectObject* member : dead) member->SetUseCount(0);
  while (!freed.empty()) {
    TzkPDFIndirectObject* object = freed.back();
    freed.pop_back();
    ForEachDirectReference(object->Value(), release);
  }
}

}  // namespace sarvane::pdf::doc
