#pragma once
// The library's component base: an object with an optional owner, the root
// of the document component's class chain.
namespace sarvane::pdf::doc {

class TzkComponent {
 public:
  explicit TzkComponent(TzkComponent* owner = nullptr) : owner_(owner) {}
  virtual ~TzkComponent() = default;
  TzkComponent(const TzkComponent&) = delete;
  TzkComponent& operator=(const TzkComponent&) = delete;

  TzkComponent* Owner() const { return owner_; }

 private:
  TzkComponent* owner_;
};

}  // namespace sarvane::pdf::doc
