#pragma once

// How a copy-data message travels between two X clients.
//
// The sender puts the bytes into a format-8 property kDataAtom (of type kDataAtom) on a
// window of its own and sends the target window a ClientMessage kMessageAtom, format 32:
//   l[0] the sender's window, l[1] the property's atom, l[2] the byte count,
//   l[3] the low and l[4] the high 32 bits of dwData (the wire carries 32 bits per field).
// The receiver reads exactly that many bytes, deletes the property, handles the message and
// answers the sender's window with a ClientMessage kAckAtom: l[0] 1 when the bytes were
// read and handled, 0 when they could not be read.
namespace zorbel::x11::copydata {

constexpr const char* kMessageAtom = "_ZORBEL_COPYDATA";
constexpr const char* kAckAtom = "_ZORBEL_COPYDATA_ACK";
constexpr const char* kDataAtom = "_ZORBEL_COPYDATA_BYTES";

constexpr long kAckHandled = 1;
constexpr long kAckUnreadable = 0;

}  // namespace zorbel::x11::copydata
