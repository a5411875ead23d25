#include "framework/script/engine/TLuaStateUser.h"

#include <lua.h>

#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace {

// The users of each open main state.
std::unordered_map<lua_State*, std::unordered_set<TLuaStateUser*>>& Users() {
    static auto* const users =
        new std::unordered_map<lua_State*, std::unordered_set<TLuaStateUser*>>;
    return *users;
}

} // namespace

TLuaStateUser::~TLuaStateUser() {
    Withdraw();
}

void TLuaStateUser::EnrolWith(lua_State* mainState) {
    if (!mainState || mEnrolledWith)
        return;
    mEnrolledWith = mainState;
    Users()[mainState].insert(this);
}

void TLuaStateUser::Withdraw() {
    if (!mEnrolledWith)
        return;
    auto found = Users().find(mEnrolledWith);
    if (found != Users().end()) {
        found->second.erase(this);
        if (found->second.empty())
            Users().erase(found);
    }
    mEnrolledWith = nullptr;
}

void LuaCloseState(lua_State* state) {
    if (!state)
        return;
    // A user may drop others while it lets go: take the list first and
    // tell each one that is still enrolled.
    auto found = Users().find(state);
    if (found != Users().end()) {
        std::vector<TLuaStateUser*> users(found->second.begin(), found->second.end());
        Users().erase(found);
        for (TLuaStateUser* user : users) {
            user->mEnrolledWith = nullptr;
            user->OnStateClosing();
        }
    }
    lua_close(state);
}

unsigned LuaCountStateUsers(lua_State* state) {
    auto found = Users().find(state);
    return found == Users().end() ? 0u : static_cast<unsigned>(found->second.size());
}
