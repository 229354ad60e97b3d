// The library operations the console can call: one table entry each.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "AVTypes.h"
#include "Script.h"

namespace avctl {

// What an operation is called with besides its own arguments.
struct CallContext {
    TVStream stream = nullptr;
    TSAspectRatioKey key;
    ORBHandle handle{1, 0};
};

enum class ArgKind { Int, Bool, Rect, SourceInfo };

struct ArgSpec {
    const char* name;
    ArgKind kind;
};

struct ArgValue {
    int64_t i = 0;
    bool b = false;
    Rect rect;
    std::vector<int64_t> list;
};

struct OpResult {
    bool hasResult = false;
    std::string result;
    std::vector<std::pair<std::string, std::string>> outs;

    OpResult& Out(const char* name, int value) {
        outs.emplace_back(name, std::to_string(value));
        return *this;
    }
    OpResult& Out(const char* name, bool value) {
        outs.emplace_back(name, value ? "true" : "false");
        return *this;
    }
    OpResult& Out(const char* name, const TSRectInfo& r) {
        outs.emplace_back(name, FormatRect(r.x, r.y, r.width, r.height));
        return *this;
    }
    // The out value as the comparison sees it.
    const std::string* Find(const std::string& name) const {
        for (const auto& o : outs) {
            if (o.first == name) {
                return &o.second;
            }
        }
        return nullptr;
    }
};

using OpFunction = std::function<OpResult(CallContext&, const std::vector<ArgValue>&)>;

struct Operation {
    std::string name;
    std::string owner;  // class the operation belongs to
    std::vector<ArgSpec> args;
    // Names of the out parameters, in declaration order (for help).
    std::vector<std::string> outs;
    OpFunction call;
};

const std::vector<Operation>& Operations();
// The operation of that name taking `argc` arguments; null when none.
const Operation* FindOperation(const std::string& name, size_t argc);
bool HasOperation(const std::string& name);
// "NAME ARG ARG -> out out" for help.
std::string Signature(const Operation& op);

// Parses one script argument by its kind.
ArgValue ParseArg(const Token& token, const ArgSpec& spec);

}  // namespace avctl
