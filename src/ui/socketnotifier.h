// Socket readiness for the network code while the window runs: one notifier per direction
// and socket, on the window thread.
#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <map>
#include <memory>

#include "net/eventsource.h"

namespace kestrin {

class SocketNotifierSource : public QObject, public EventSource {
public:
  explicit SocketNotifierSource(QObject* parent = nullptr);
  ~SocketNotifierSource() override;

  void Watch(int fd, int events, std::function<void(int events)> ready) override;
  void Unwatch(int fd) override;

private:
  struct Entry {
    QSocketNotifier* read = nullptr;
    QSocketNotifier* write = nullptr;
    std::shared_ptr<std::function<void(int)>> ready;
  };
  void Fire(int fd, int event);
  static void Retire(QSocketNotifier* notifier);

  std::map<int, Entry> entries;
};

} // namespace kestrin
