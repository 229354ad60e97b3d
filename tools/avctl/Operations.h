// The library operations the console can call: one table entry each.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <tvav/AVTypes.h>
#include "Script.h"

namespace avctl {

// Objects that operations return, numbered in the order they are first seen
// ("TCAVCheckATSC#2"), so that a script can tell whether two calls returned
// the same object.
class ObjectNames {
public:
    std::string Name(const void* object, const std::string& className);
    // Keeps an object the caller owns (a factory's result) until the session ends.
    void Keep(std::shared_ptr<void> object);

private:
    std::map<const void*, int> m_ids;
    std::vector<std::shared_ptr<void>> m_owned;
};

// What an operation is called with besides its own arguments.
struct CallContext {
    TVStream stream = nullptr;
    TSAspectRatioKey key;
    ORBHandle handle{1, 0};
    ObjectNames objects;
};

struct OpResult {
    bool hasResult = false;
    std::string result;
    std::vector<std::pair<std::string, std::string>> outs;

    // The out value of that name; null when the operation has none.
    const std::string* Find(const std::string& name) const {
        for (const auto& o : outs) {
            if (o.first == name) {
                return &o.second;
            }
        }
        return nullptr;
    }
};

// Where a parameter's value comes from: the current stream, key or handle,
// the script's arguments, or the function (out parameters).
enum class ParamRole { Stream, Key, Handle, In, Out };

struct Param {
    std::string name;
    ParamRole role = ParamRole::In;
    std::string type;
    bool hasDefault = false;
    std::string defaultText;
};

struct Operation {
    using Call = std::function<OpResult(CallContext&)>;

    std::string owner;  // class the operation belongs to
    std::string name;
    std::vector<Param> params;  // every parameter of the declaration, in order
    std::string resultType;     // "-" when there is no result
    bool ownsResult = false;    // the result is a new object the caller owns
    // Parses the script's arguments; throws ParseError. The returned call
    // gets the instance and runs the operation.
    std::function<Call(const Operation&, const std::vector<Token>&)> bind;

    std::string QualifiedName() const { return owner + "::" + name; }
    size_t MinArgs() const;
    size_t MaxArgs() const;
    const Param* FindOut(const std::string& name) const;
};

// Every registered operation, in table order.
const std::vector<Operation>& Operations();
// The operation `name` (bare or Class::Name) that takes these arguments.
// Throws ParseError when the name is ambiguous or no form takes that many.
const Operation& FindOperation(const std::string& name, const std::vector<Token>& args);
bool HasOperation(const std::string& name);
// "NAME arg:type... => RESULT out=type..." for help.
std::string Signature(const Operation& op);

}  // namespace avctl
