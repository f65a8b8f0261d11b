// One private sink for a whole engine test program, made before its first test together
// with the media fixtures. A test program registers it once:
//   const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new SinkEnvironment);
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "Mediafixtures.h"
#include "Soundsink.h"

namespace vombrel::test {

class SinkEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    sink_ = std::make_unique<PrivateSink>();
    Fixtures();
  }
  void TearDown() override { sink_.reset(); }
  // The sink while the tests run; null before and after.
  static PrivateSink* Sink() { return sink_.get(); }

 private:
  static inline std::unique_ptr<PrivateSink> sink_;
};

}  // namespace vombrel::test
