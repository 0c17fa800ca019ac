#pragma once
// Finding a dialog's controls by object name in offscreen tests.

#include <gtest/gtest.h>

#include <QWidget>

namespace tramond::test {

template <class T>
T* named(QWidget* parent, const char* name) {
    auto* w = parent->findChild<T*>(name);
    EXPECT_NE(w, nullptr) << name;
    return w;
}

}  // namespace tramond::test
