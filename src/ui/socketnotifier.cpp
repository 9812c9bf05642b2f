#include "ui/socketnotifier.h"

namespace kestrin {

SocketNotifierSource::SocketNotifierSource(QObject* parent) : QObject(parent) {}

SocketNotifierSource::~SocketNotifierSource() {
  for (auto& [fd, entry] : entries) {
    delete entry.read;
    delete entry.write;
  }
}

void SocketNotifierSource::Watch(int fd, int events, std::function<void(int)> ready) {
  Entry& entry = entries[fd];
  entry.ready = std::make_shared<std::function<void(int)>>(std::move(ready));
  auto make = [this, fd](QSocketNotifier::Type type, int event) {
    auto* notifier = new QSocketNotifier(fd, type, this);
    connect(notifier, &QSocketNotifier::activated, this, [this, fd, event] { Fire(fd, event); });
    return notifier;
  };
  if (!entry.read) entry.read = make(QSocketNotifier::Read, Readable);
  if (!entry.write) entry.write = make(QSocketNotifier::Write, Writable);
  entry.read->setEnabled((events & Readable) != 0);
  entry.write->setEnabled((events & Writable) != 0);
}

void SocketNotifierSource::Unwatch(int fd) {
  const auto found = entries.find(fd);
  if (found == entries.end()) return;
  Retire(found->second.read);
  Retire(found->second.write);
  entries.erase(found);
}

// A handler may unwatch its own socket: the notifier goes once its signal has returned.
void SocketNotifierSource::Retire(QSocketNotifier* notifier) {
  if (!notifier) return;
  notifier->setEnabled(false);
  notifier->disconnect();
  notifier->deleteLater();
}

void SocketNotifierSource::Fire(int fd, int event) {
  const auto found = entries.find(fd);
  if (found == entries.end()) return;
  // Kept alive through the call: the handler may replace or drop its own watch.
  const std::shared_ptr<std::function<void(int)>> ready = found->second.ready;
  (*ready)(event);
}

} // namespace kestrin
