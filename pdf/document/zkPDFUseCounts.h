#pragma once
// Use counts when the document is edited in place: an object is written
// only while its use count is above zero, so every reference put into the
// document must count once and every reference taken out must give its use
// back. Taking a value out must not free what something else still uses (an
// action shared by two pages, an appearance stream shared by two widgets),
// and must free what nothing uses any more, also when the freed objects
// refer to each other (a field and its widgets through /Kids and /Parent,
// an action chain whose /Next loops).
#include <functional>
#include <unordered_set>
#include <vector>

#include "pdf/objects/zkPDFObject.h"
#include "pdf/objects/zkPDFObjectStore.h"

namespace sarvane::pdf::doc {

// Calls visit for every reference inside value, without following any of
// them (a value's own arrays and dictionaries, and a stream's dictionary).
void ForEachDirectReference(const sarvane::pdf::TzkPDFObject* value,
                            const std::function<void(const sarvane::pdf::TzkPDFIndirectReference&)>& visit);

// Whether the object is a page (a dictionary of /Type /Page). Pages are
// never freed by the routines here: the page list holds them.
bool IsPageObject(const sarvane::pdf::TzkPDFObjectStore& store, const sarvane::pdf::TzkPDFIndirectObject* object);

// The stored object a reference names, or nullptr.
sarvane::pdf::TzkPDFIndirectObject* StoredTarget(const sarvane::pdf::TzkPDFObjectStore& store,
                                                  const sarvane::pdf::TzkPDFObject* reference);

// One use more for every object value refers to directly: for a value newly
// put into the document (a copy, or a dictionary made here).
void CountReferences(const sarvane::pdf::TzkPDFObjectStore& store, const sarvane::pdf::TzkPDFObject* value);

// Gives back the uses of values taken out of the document (their direct
// references) and frees what nothing uses any more. group holds the indirect
// objects that may die together (a field with its kids, an action chain);
// a member that is still used from outside the group stays, with all it
// reaches inside the group. Objects outside the group are freed as their use
// count reaches zero, each visited once. Page objects are never freed.
void ReleaseDropped(const sarvane::pdf::TzkPDFObjectStore& store,
                    const std::vector<const sarvane::pdf::TzkPDFObject*>& dropped,
                    const std::vector<sarvane::pdf::TzkPDFIndirectObject*>& group);

}  // namespace sarvane::pdf::doc
