// Records the arguments of every emission of one signal.
#pragma once

#include <QList>
#include <QObject>
#include <QVariant>

struct SignalSpy {
  QList<QVariantList> calls;
  template <typename Obj, typename Base, typename... Args>
  SignalSpy(Obj* object, void (Base::*signal)(Args...)) {
    QObject::connect(object, signal,
                     [this](Args... args) { calls.append(QVariantList{QVariant::fromValue(args)...}); });
  }
  int count() const { return static_cast<int>(calls.size()); }
  const QVariantList& last() const { return calls.last(); }
};
