#include "app/NewCtrls.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include "app/SysCtrls.h"
#include "platform/Exception.h"

namespace sarvane::app {

QStringList DroppedLocalFiles(const QMimeData* mime) {
  QStringList files;
  if (!mime || !mime->hasUrls()) return files;
  for (const QUrl& url : mime->urls())
    if (url.isLocalFile()) files << url.toLocalFile();
  return files;
}

TFileDrop::TFileDrop(QWidget* owner) : QObject(owner), owner_(owner) {}

TFileDrop::~TFileDrop() { Unhook(); }

void TFileDrop::SetAccept(bool value) {
  if (value == accept_) return;
  accept_ = value;
  if (hooked_) hooked_->setAcceptDrops(accept_);
}

void TFileDrop::SetControl(QWidget* value) {
  Unhook();
  if (controlDestroyed_) disconnect(controlDestroyed_);
  control_ = value;
  if (value) controlDestroyed_ = connect(value, &QObject::destroyed, this, &TFileDrop::ControlDestroyed);
  Hook();
}

void TFileDrop::Loaded() {
  if (!control_) {
    Unhook();
    Hook();
  }
}

void TFileDrop::ControlDestroyed() {
  control_ = nullptr;
  hooked_ = nullptr;
  accept_ = false;
}

void TFileDrop::Hook() {
  QWidget* target = control_ ? control_.data() : owner_.data();
  if (!target) throw Exception(kInvalidWindowHandleMessage);
  hooked_ = target;
  hooked_->setAcceptDrops(accept_);
  // Drag events go to the widget under the pointer, which may be a child
  // that takes text drops of its own (a line edit); watching at the
  // application level lets file drops anywhere in the target reach us.
  qApp->installEventFilter(this);
}

void TFileDrop::Unhook() {
  if (qApp) qApp->removeEventFilter(this);
  if (hooked_) hooked_->setAcceptDrops(false);
  hooked_ = nullptr;
}

bool TFileDrop::eventFilter(QObject* watched, QEvent* event) {
  QEvent::Type type = event->type();
  if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop) return false;
  if (!hooked_ || !accept_ || !watched->isWidgetType()) return false;
  auto* widget = static_cast<QWidget*>(watched);
  if (widget != hooked_ && !hooked_->isAncestorOf(widget)) return false;
  auto* drop = static_cast<QDropEvent*>(event);
  QStringList files = DroppedLocalFiles(drop->mimeData());
  if (files.isEmpty()) return false;  // text and the like stay with the child
  if (OnCanDrop && !OnCanDrop(files)) {
    drop->setDropAction(Qt::IgnoreAction);
    drop->ignore();
    return true;
  }
  drop->setDropAction(Qt::CopyAction);
  drop->accept();
  if (type == QEvent::Drop) {
    QPoint point = widget->mapTo(hooked_, drop->position().toPoint());
    try {
      DropFiles(files, point);
    } catch (const std::exception& e) {
      ShowException(e);
    }
  }
  return true;
}

void TFileDrop::DropFiles(const QStringList& files, QPoint point) {
  if (!OnFileDrop) return;
  // Whole paths: a path cut short names another file.
  OnFileDrop(this, static_cast<int>(files.size()), files, point.x(), point.y());
}

}  // namespace sarvane::app
