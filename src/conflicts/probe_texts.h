// SPDX-License-Identifier: MIT
// The operator's texts of the address probe: why an address was not checked.
#pragma once

#include <string>

namespace conflicts::texts {

std::string BadAddress(const std::string& address);
std::string NoSuchInterface(const std::string& name);
std::string InterfaceDown(const std::string& name);
std::string InterfaceWithoutLink(const std::string& name);
std::string InterfacesUnreadable(const std::string& error);
std::string ProgramDidNotStart(const std::string& program, const std::string& error);
std::string TooFewDescriptors(int limit);
std::string ProgramFailed(const std::string& detail);
std::string ProgramCrashed();
std::string ProgramTooSlow(long long seconds);
std::string UnexpectedOutput(int exitStatus);
std::string Stopped();

} // namespace conflicts::texts
