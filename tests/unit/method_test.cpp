// Method pointers: an object and one of its member functions, saved,
// compared, replaced and put back by plain assignment.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/Method.h"

namespace {

class Recorder {
 public:
  explicit Recorder(std::string name) : name_(std::move(name)) {}
  virtual ~Recorder() = default;

  void First(std::vector<std::string>& log, int value) {
    log.push_back(name_ + ".First " + std::to_string(value));
  }
  void Second(std::vector<std::string>& log, int value) {
    log.push_back(name_ + ".Second " + std::to_string(value));
  }
  virtual void Overridden(std::vector<std::string>& log, int) { log.push_back(name_ + ".base"); }

 protected:
  std::string name_;
};

class Derived : public Recorder {
 public:
  using Recorder::Recorder;
  void Overridden(std::vector<std::string>& log, int) override {
    log.push_back(name_ + ".derived");
  }
};

// A class whose member pointers are larger than a plain function pointer
// (a second base moves `this`).
class Other {
 public:
  virtual ~Other() = default;
  int padding = 0;
};
class TwoBases : public Other, public Recorder {
 public:
  TwoBases() : Recorder("two") {}
};

using Method = TMethod<std::vector<std::string>&, int>;

TEST(Method, CallsTheMemberOnItsObjectWithTheArguments) {
  Recorder a("a");
  std::vector<std::string> log;
  Method method(&a, &Recorder::Second);
  method(log, 5);
  EXPECT_EQ(log, std::vector<std::string>{"a.Second 5"});
}

TEST(Method, AnEmptyMethodIsFalseAndCallingItDoesNothing) {
  Method empty;
  EXPECT_FALSE(empty);
  std::vector<std::string> log;
  empty(log, 1);
  EXPECT_TRUE(log.empty());
  Recorder a("a");
  EXPECT_TRUE(Method(&a, &Recorder::First));
}

TEST(Method, AVirtualMemberCallsTheObjectsOverride) {
  Derived d("d");
  std::vector<std::string> log;
  Method(static_cast<Recorder*>(&d), &Recorder::Overridden)(log, 0);
  EXPECT_EQ(log, std::vector<std::string>{"d.derived"});
}

TEST(Method, AMemberOfASecondBaseReachesThatBase) {
  TwoBases object;
  std::vector<std::string> log;
  Method(static_cast<Recorder*>(&object), &Recorder::First)(log, 3);
  EXPECT_EQ(log, std::vector<std::string>{"two.First 3"});
}

TEST(Method, SavedReplacedAndPutBackByAssignment) {
  Recorder a("a"), b("b");
  std::vector<std::string> log;
  Method current(&a, &Recorder::First);
  const Method saved = current;
  current = Method(&b, &Recorder::Second);
  current(log, 1);
  current = saved;
  current(log, 2);
  EXPECT_EQ(log, (std::vector<std::string>{"b.Second 1", "a.First 2"}));
  EXPECT_TRUE(current == saved);
}

struct EqualityCase {
  const char* name;
  int leftObject, leftMember;  // object 0 or 1; member 0 First, 1 Second, 2 Overridden; -1 empty
  int rightObject, rightMember;
  bool equal;
};

class MethodEquality : public testing::TestWithParam<EqualityCase> {
 protected:
  Method Make(int object, int member) {
    if (member < 0) return Method();
    Recorder* target = object == 0 ? &a_ : &b_;
    void (Recorder::*members[])(std::vector<std::string>&, int) = {
        &Recorder::First, &Recorder::Second, &Recorder::Overridden};
    return Method(target, members[member]);
  }

  Recorder a_{"a"};
  Recorder b_{"b"};
};

TEST_P(MethodEquality, SameObjectAndSameMemberOnly) {
  const EqualityCase& c = GetParam();
  const Method left = Make(c.leftObject, c.leftMember);
  const Method right = Make(c.rightObject, c.rightMember);
  EXPECT_EQ(left == right, c.equal);
  EXPECT_EQ(right == left, c.equal);
}

INSTANTIATE_TEST_SUITE_P(
    Pairs, MethodEquality,
    testing::Values(EqualityCase{"SameObjectSameMember", 0, 0, 0, 0, true},
                    EqualityCase{"SameVirtualMember", 1, 2, 1, 2, true},
                    EqualityCase{"SameObjectOtherMember", 0, 0, 0, 1, false},
                    EqualityCase{"OtherObjectSameMember", 0, 0, 1, 0, false},
                    EqualityCase{"VirtualAgainstPlainMember", 0, 2, 0, 0, false},
                    EqualityCase{"BothEmpty", 0, -1, 1, -1, true},
                    EqualityCase{"EmptyAgainstSet", 0, -1, 0, 0, false}),
    [](const testing::TestParamInfo<EqualityCase>& info) { return std::string(info.param.name); });

}  // namespace
