#pragma once
// Lets a window accept files dragged from the desktop's file manager and
// reports them through OnFileDrop.
#include <QMimeData>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <functional>

namespace sarvane::app {

inline constexpr const char* kInvalidWindowHandleMessage = "Invalidate Window Handle in FileDrop";

// Sender, number of files, their names (local paths, in the order the drag
// source gave them), drop point in the target's client coordinates.
using TFileDropEvent = std::function<void(QObject* Sender, int Num, const QStringList& Files, int X, int Y)>;

class TFileDrop : public QObject {
  Q_OBJECT

 public:
  // owner: the window that receives drops while Control is none.
  explicit TFileDrop(QWidget* owner);
  ~TFileDrop() override;

  bool Accept() const { return accept_; }
  void SetAccept(bool value);
  QWidget* Control() const { return control_; }
  // Takes effect at once: the old target is released, the new one hooked.
  void SetControl(QWidget* value);

  TFileDropEvent OnFileDrop;
  // Asked while files are dragged over the target: false makes the drag
  // source show the drop as not accepted, and the files are not handed on.
  // Unset: every drag of local files is taken.
  std::function<bool(const QStringList& files)> OnCanDrop;

  // The owner has finished loading: hook it when no Control was set.
  void Loaded();

  // The widget that currently receives drops, or null.
  QWidget* HookedWindow() const { return hooked_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Hook();
  void Unhook();
  void DropFiles(const QStringList& files, QPoint point);
  void ControlDestroyed();

  QPointer<QWidget> owner_;
  QPointer<QWidget> control_;
  QPointer<QWidget> hooked_;
  bool accept_ = true;
  QMetaObject::Connection controlDestroyed_;
};

// The local files of a drag, in order; other addresses are left out.
QStringList DroppedLocalFiles(const QMimeData* mime);

}  // namespace sarvane::app
