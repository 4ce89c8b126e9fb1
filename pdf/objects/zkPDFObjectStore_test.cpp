#include "pdf/objects/zkPDFObjectStore.h"

#include <gtest/gtest.h>

namespace sarvane::pdf {
namespace {

std::unique_ptr<TzkPDFIndirectObject> Obj(int32_t doc, int32_t num, uint16_t gen, TzkPDFObjectPtr value) {
  return std::make_unique<TzkPDFIndirectObject>(doc, std::move(value), gen, num);
}
TzkPDFObjectPtr Ref(int32_t doc, int32_t num, uint16_t gen = 0) {
  return std::make_unique<TzkPDFIndirectReference>(doc, gen, num);
}
TzkPDFObjectPtr Int(int32_t v) { return std::make_unique<TzkPDFIntegerObject>(v); }

TEST(TzkPDFObjectStore, StoreKeyConcatenatesDigits) {
  struct Case {
    int32_t doc, num;
    uint16_t gen;
    int32_t key;
  } const cases[] = {
      {101, 12, 0, 101120},
      {102, 5, 0, 10250},
      {101, 0, 0, 10100},
      {101, 1234567, 0, static_cast<int32_t>(10112345670ull & 0xFFFFFFFFull)},
      {101, 7, 65535, 101765535},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TzkPDFObjectStore::StoreKey(c.doc, c.num, c.gen), c.key) << c.doc << " " << c.num << " " << c.gen;
  }
  // Keys whose low 32 bits have the sign bit set are still accepted.
  const int32_t big = TzkPDFObjectStore::StoreKey(101, 21474837, 0);
  EXPECT_GE(big, 0);
  TzkPDFObjectStore store;
  EXPECT_NO_THROW(store.Store(Obj(101, 21474837, 0, Int(1))));
}

TEST(TzkPDFObjectStore, IdentityIsTheTripleNotTheKey) {
  TzkPDFObjectStore store;
  // (101, 1, 20) and (101, 12, 0) share the key 101120.
  ASSERT_EQ(TzkPDFObjectStore::StoreKey(101, 1, 20), TzkPDFObjectStore::StoreKey(101, 12, 0));
  TzkPDFIndirectObject* a = store.Store(Obj(101, 1, 20, Int(1)));
  TzkPDFIndirectObject* b = store.Store(Obj(101, 12, 0, Int(2)));
  TzkPDFIndirectReference refA(101, 20, 1), refB(101, 0, 12), other(102, 0, 12);
  EXPECT_EQ(store.Find(&refA), a);
  EXPECT_EQ(store.Find(&refB), b);
  EXPECT_EQ(store.Find(&other), nullptr);
  EXPECT_EQ(store.Find(b), b);
  EXPECT_EQ(store.IndexOfObject(101, 12, 0), 1);
  EXPECT_EQ(store.IndexOfStoreKey(101120), 0);
  // A second object of the same identity is kept, but lookups give the first.
  TzkPDFIndirectObject* dup = store.Store(Obj(101, 12, 0, Int(3)));
  EXPECT_EQ(store.Find(&refB), b);
  EXPECT_EQ(store.ObjectCount(), 3);
  EXPECT_EQ(store.ObjectAt(2), dup);
}

TEST(TzkPDFObjectStore, NumbersAndErrors) {
  TzkPDFObjectStore store;
  store.SetHighestNumber(41);
  EXPECT_EQ(store.NewObjectNumber(), 42);
  EXPECT_EQ(store.NewObjectNumber(), 43);
  EXPECT_EQ(store.HighestNumber(), 43);
  try {
    store.Store(nullptr);
    ADD_FAILURE() << "no exception";
  } catch (const ENullObjectError& e) {
    EXPECT_STREQ(e.what(), "Expected PDF null object");
  }
  try {
    store.ObjectAt(0);
    ADD_FAILURE() << "no exception";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "List index out of bounds (0)");
  }
}

TEST(TzkPDFObjectStore, ResolversFollowStoredReferences) {
  TzkPDFObjectStore store;
  store.Store(Obj(101, 1, 0, std::make_unique<TzkPDFDictObject>()));
  store.Store(Obj(101, 2, 0, Ref(101, 1)));       // reference to a reference
  store.Store(Obj(101, 3, 0, Ref(101, 4)));       // 3 -> 4 -> 3: a circle
  store.Store(Obj(101, 4, 0, Ref(101, 3)));
  store.Store(Obj(101, 5, 0, Int(7)));
  store.Store(Obj(101, 6, 0, std::make_unique<TzkPDFNameObject>("/N")));

  auto ref1 = Ref(101, 1), ref2 = Ref(101, 2), ref3 = Ref(101, 3), ref5 = Ref(101, 5), missing = Ref(101, 9),
       otherDoc = Ref(102, 1);
  TzkPDFDictObject direct;
  struct Case {
    const char* name;
    TzkPDFObject* in;
    TzkPDFObject* expected;
    bool throws;
  } const cases[] = {
      {"direct", &direct, &direct, false},
      {"reference", ref1.get(), store.Find(101, 1, 0)->Value(), false},
      {"chain", ref2.get(), store.Find(101, 1, 0)->Value(), false},
      {"absent", nullptr, nullptr, false},
      {"not stored", missing.get(), nullptr, false},
      {"other document", otherDoc.get(), nullptr, false},
      {"circle", ref3.get(), nullptr, false},
      {"wrong kind", ref5.get(), nullptr, true},
  };
  for (const Case& c : cases) {
    if (c.throws) {
      EXPECT_THROW(store.ResolveDictionary(c.in), EUnexpectedObjectError) << c.name;
    } else {
      EXPECT_EQ(store.ResolveDictionary(c.in), c.expected) << c.name;
    }
  }
  EXPECT_EQ(store.ResolveInteger(ref5.get())->Value(), 7);
  EXPECT_THROW(store.ResolveName(ref5.get()), EUnexpectedObjectError);
  EXPECT_THROW(store.ResolveString(ref1.get()), EUnexpectedObjectError);
  // An indirect object is followed by Resolve only.
  EXPECT_EQ(store.Resolve(store.Find(101, 2, 0)), store.Find(101, 1, 0)->Value());
  EXPECT_EQ(store.Resolve(ref3.get()), nullptr);
}

TEST(TzkPDFObjectStore, ResolveArrayWrapsANameAndSkipsNull) {
  TzkPDFObjectStore store;
  store.Store(Obj(101, 6, 0, std::make_unique<TzkPDFNameObject>("/FlateDecode")));
  auto ref = Ref(101, 6);
  TzkResolvedArray wrapped = store.ResolveArray(ref.get());
  ASSERT_TRUE(wrapped);
  EXPECT_TRUE(wrapped.IsWrapped());
  ASSERT_EQ(wrapped->Count(), 1);
  EXPECT_EQ(wrapped->ItemAt(0)->ToText(), "/FlateDecode");
  // The stored name is untouched and still owned by its indirect object.
  EXPECT_NE(wrapped->ItemAt(0), store.Find(101, 6, 0)->Value());

  TzkPDFNullObject null;
  EXPECT_FALSE(store.ResolveArray(&null));
  TzkPDFArrayObject array;
  TzkResolvedArray same = store.ResolveArray(&array);
  EXPECT_EQ(same.get(), &array);
  EXPECT_FALSE(same.IsWrapped());
  TzkPDFIntegerObject i(1);
  EXPECT_THROW(store.ResolveArray(&i), EUnexpectedObjectError);
}

TEST(TzkPDFObjectStore, LengthRepairedFlag) {
  TzkPDFObjectStore store;
  TzkPDFIndirectObject* a = store.Store(Obj(101, 1, 0, Int(1)));
  EXPECT_FALSE(store.LengthRepaired(a));
  store.SetLengthRepaired(a, true);
  EXPECT_TRUE(store.LengthRepaired(a));
  store.Clear();
  EXPECT_EQ(store.ObjectCount(), 0);
  EXPECT_EQ(store.Find(101, 1, 0), nullptr);
}

}  // namespace
}  // namespace sarvane::pdf
