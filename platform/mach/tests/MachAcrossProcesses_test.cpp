// Ports shared with another process: the peer program of this folder serves a bootstrap name,
// and the test talks to it with messages, passes rights to it, kills it and feeds it garbage.
#include <MachPortRights.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <mach/mach.h>
#include <poll.h>
#include <servers/bootstrap.h>
#include <sys/fileport.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "RunningChild.h"
#include "backend/Packet.h"
#include "backend/ServiceNames.h"

namespace {

using moxicam::test::newReceivePort;
using moxicam::test::portType;

using moxicam::test::RunningChild;

#pragma pack(push, 4)
struct Request {
  mach_msg_header_t header;
  uint64_t value;
};
struct Ports {
  mach_msg_header_t header;
  mach_msg_body_t body;
  mach_msg_port_descriptor_t ports[2];
};
struct Received {
  mach_msg_header_t header;
  uint8_t rest[512];
};
#pragma pack(pop)

constexpr const char* kService = "com.example.peer";

class MachAcrossProcesses : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(mPeer.started());
    ASSERT_EQ(mPeer.ask(std::string("serve ") + kService), "ok");
    ASSERT_EQ(bootstrap_look_up(bootstrap_port, kService, &mServer), BOOTSTRAP_SUCCESS);
    mReply = newReceivePort();
  }
  void TearDown() override {
    mach_port_deallocate(mach_task_self(), mServer);
    mach_port_destroy(mach_task_self(), mReply);
  }

  // Sends a request that wants an answer and waits for what comes back on the reply port.
  mach_msg_return_t call(mach_msg_header_t& request, mach_msg_size_t size, Received& answer) {
    request.msgh_bits |= MACH_MSGH_BITS(MACH_MSG_TYPE_COPY_SEND, MACH_MSG_TYPE_MAKE_SEND_ONCE);
    request.msgh_remote_port = mServer;
    request.msgh_local_port = mReply;
    request.msgh_size = size;
    const mach_msg_return_t sent =
        mach_msg(&request, MACH_SEND_MSG | MACH_SEND_TIMEOUT, size, 0, MACH_PORT_NULL, 5000, MACH_PORT_NULL);
    if (sent != MACH_MSG_SUCCESS) return sent;
    return mach_msg(&answer.header, MACH_RCV_MSG | MACH_RCV_TIMEOUT, 0, sizeof answer, mReply, 10000,
                    MACH_PORT_NULL);
  }

  Ports twoPorts(mach_msg_id_t id, mach_port_t first, mach_port_t second, mach_msg_type_name_t disposition) {
    Ports message{};
    message.header.msgh_bits = MACH_MSGH_BITS_COMPLEX;
    message.header.msgh_id = id;
    message.body.msgh_descriptor_count = 2;
    message.ports[0] = {first, 0, 0, disposition, MACH_MSG_PORT_DESCRIPTOR};
    message.ports[1] = {second, 0, 0, disposition, MACH_MSG_PORT_DESCRIPTOR};
    return message;
  }

  RunningChild mPeer{MACH_PEER_PROGRAM, {}, {}, RunningChild::Input::Open};
  mach_port_t mServer = MACH_PORT_NULL;
  mach_port_t mReply = MACH_PORT_NULL;
};

TEST_F(MachAcrossProcesses, ARequestIsAnswered) {
  Request request{};
  request.header.msgh_id = 1000;
  request.value = 0x0102030405060708ull;
  Received answer{};
  ASSERT_EQ(call(request.header, sizeof request, answer), MACH_MSG_SUCCESS);
  EXPECT_EQ(answer.header.msgh_id, 1100);
  EXPECT_EQ(answer.header.msgh_size, sizeof(Request));
  EXPECT_EQ(answer.header.msgh_local_port, mReply);
  uint64_t value;
  std::memcpy(&value, answer.rest, sizeof value);
  EXPECT_EQ(value, 0x0102030405060708ull);
}

TEST_F(MachAcrossProcesses, ASendRightLetsTheOtherProcessReachThisOne) {
  mach_port_t mine = newReceivePort();
  Ports message = twoPorts(1001, mine, MACH_PORT_NULL, MACH_MSG_TYPE_MAKE_SEND);
  message.body.msgh_descriptor_count = 1;
  message.header.msgh_bits |= MACH_MSGH_BITS(MACH_MSG_TYPE_COPY_SEND, 0);
  message.header.msgh_remote_port = mServer;
  const mach_msg_size_t size =
      sizeof(mach_msg_header_t) + sizeof(mach_msg_body_t) + sizeof(mach_msg_port_descriptor_t);
  message.header.msgh_size = size;
  ASSERT_EQ(mach_msg(&message.header, MACH_SEND_MSG, size, 0, MACH_PORT_NULL, 0, MACH_PORT_NULL),
            MACH_MSG_SUCCESS);
  Received back{};
  ASSERT_EQ(
      mach_msg(&back.header, MACH_RCV_MSG | MACH_RCV_TIMEOUT, 0, sizeof back, mine, 10000, MACH_PORT_NULL),
      MACH_MSG_SUCCESS);
  EXPECT_EQ(back.header.msgh_id, 1101);
  mach_port_destroy(mach_task_self(), mine);
}

TEST_F(MachAcrossProcesses, RightsToOnePortShareOneNameOverThere) {
  mach_port_t first = newReceivePort(), second = newReceivePort();
  struct Case {
    mach_port_t a, b;
    uint32_t same;
  } cases[] = {{first, first, 1}, {first, second, 0}};
  for (const Case& c : cases) {
    Ports message = twoPorts(1002, c.a, c.b, MACH_MSG_TYPE_MAKE_SEND);
    Received answer{};
    ASSERT_EQ(call(message.header, sizeof message, answer), MACH_MSG_SUCCESS);
    uint32_t same;
    std::memcpy(&same, answer.rest, sizeof same);
    EXPECT_EQ(same, c.same);
  }
  mach_port_destroy(mach_task_self(), first);
  mach_port_destroy(mach_task_self(), second);
}

TEST_F(MachAcrossProcesses, AFileportCarriesADescriptorThere) {
  const int file = memfd_create("shared", MFD_CLOEXEC);
  ASSERT_EQ(write(file, "sixteen bytes ok", 16), 16);
  fileport_t fileport;
  ASSERT_EQ(fileport_makeport(file, &fileport), 0);
  close(file);
  Ports message = twoPorts(1003, fileport, MACH_PORT_NULL, MACH_MSG_TYPE_MOVE_SEND);
  message.body.msgh_descriptor_count = 1;
  Received answer{};
  ASSERT_EQ(call(message.header, sizeof(Ports) - sizeof(mach_msg_port_descriptor_t), answer),
            MACH_MSG_SUCCESS);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(answer.rest), 16), "sixteen bytes ok");
}

TEST_F(MachAcrossProcesses, AServerThatDiesUnansweredLeavesASendOnceNotification) {
  Request request{};
  request.header.msgh_id = 1004;
  Received answer{};
  ASSERT_EQ(call(request.header, sizeof request, answer), MACH_MSG_SUCCESS);
  EXPECT_EQ(answer.header.msgh_id, MACH_NOTIFY_SEND_ONCE);
}

TEST_F(MachAcrossProcesses, AKilledProcessLeavesDeadNames) {
  mach_port_t notify = newReceivePort();
  ASSERT_EQ(mach_port_request_notification(mach_task_self(), mServer, MACH_NOTIFY_DEAD_NAME, 0, notify,
                                           MACH_MSG_TYPE_MAKE_SEND_ONCE, nullptr),
            KERN_SUCCESS);
  mPeer.kill();
  Received got{};
  ASSERT_EQ(
      mach_msg(&got.header, MACH_RCV_MSG | MACH_RCV_TIMEOUT, 0, sizeof got, notify, 10000, MACH_PORT_NULL),
      MACH_MSG_SUCCESS);
  EXPECT_EQ(got.header.msgh_id, MACH_NOTIFY_DEAD_NAME);
  mach_dead_name_notification_t notice;
  std::memcpy(&notice, &got, sizeof notice);
  EXPECT_EQ(notice.not_port, mServer);
  EXPECT_EQ(portType(mServer), MACH_PORT_TYPE_DEAD_NAME);
  mach_port_urefs_t refs = 0;
  EXPECT_EQ(mach_port_get_refs(mach_task_self(), mServer, MACH_PORT_RIGHT_DEAD_NAME, &refs), KERN_SUCCESS);
  EXPECT_EQ(refs, 2u) << "the notification holds a reference of its own";
  mach_port_deallocate(mach_task_self(), mServer);

  Request request{};
  request.header.msgh_id = 1000;
  EXPECT_EQ(call(request.header, sizeof request, got), MACH_SEND_INVALID_DEST);
  mach_port_t again = MACH_PORT_NULL;
  EXPECT_EQ(bootstrap_look_up(bootstrap_port, kService, &again), BOOTSTRAP_UNKNOWN_SERVICE);
  mach_port_destroy(mach_task_self(), notify);
}

TEST_F(MachAcrossProcesses, ASendToAPortThatIsNotReadTimesOut) {
  Request stall{};
  stall.header.msgh_bits = MACH_MSGH_BITS(MACH_MSG_TYPE_COPY_SEND, 0);
  stall.header.msgh_remote_port = mServer;
  stall.header.msgh_size = sizeof stall;
  stall.header.msgh_id = 1005;
  ASSERT_EQ(mach_msg(&stall.header, MACH_SEND_MSG, sizeof stall, 0, MACH_PORT_NULL, 0, MACH_PORT_NULL),
            MACH_MSG_SUCCESS);
  // The connection's queue is finite: some send must wait, and then give up.
  mach_msg_return_t result = MACH_MSG_SUCCESS;
  for (int i = 0; i < 1000000 && result == MACH_MSG_SUCCESS; ++i) {
    Request filler = stall;
    filler.header.msgh_id = 7;
    result = mach_msg(&filler.header, MACH_SEND_MSG | MACH_SEND_TIMEOUT, sizeof filler, 0, MACH_PORT_NULL, 20,
                      MACH_PORT_NULL);
  }
  EXPECT_EQ(result, MACH_SEND_TIMED_OUT);
}

TEST_F(MachAcrossProcesses, GarbageIsDroppedAndTheServiceGoesOn) {
  MachLayer::ServiceAddress address;
  ASSERT_TRUE(MachLayer::serviceAddress(kService, address));
  const int raw = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
  ASSERT_EQ(connect(raw, reinterpret_cast<const sockaddr*>(&address.address), address.length), 0);

  auto packet = [](uint32_t magic, uint32_t destType, uint32_t rights, std::vector<MachLayer::WireRight> wire,
                   mach_msg_header_t header, std::vector<uint8_t> tail) {
    MachLayer::WireEnvelope envelope{magic, destType, rights, 0};
    std::vector<uint8_t> bytes(sizeof envelope);
    std::memcpy(bytes.data(), &envelope, sizeof envelope);
    for (const auto& right : wire) {
      const auto* at = reinterpret_cast<const uint8_t*>(&right);
      bytes.insert(bytes.end(), at, at + sizeof right);
    }
    const auto* at = reinterpret_cast<const uint8_t*>(&header);
    bytes.insert(bytes.end(), at, at + sizeof header);
    bytes.insert(bytes.end(), tail.begin(), tail.end());
    return bytes;
  };
  auto header = [](mach_msg_bits_t bits, mach_msg_size_t size) {
    mach_msg_header_t made{};
    made.msgh_bits = bits;
    made.msgh_size = size;
    made.msgh_id = 1000;
    return made;
  };
  const mach_msg_bits_t plain = MACH_MSGH_BITS(0, MACH_MSG_TYPE_PORT_SEND);
  const MachLayer::WireRight sendRight{1, uint32_t(MachLayer::RightKind::Send), 0};
  mach_msg_body_t oneDescriptor{1};
  std::vector<uint8_t> descriptorBody(sizeof oneDescriptor + sizeof(mach_msg_port_descriptor_t));
  std::memcpy(descriptorBody.data(), &oneDescriptor, sizeof oneDescriptor);
  mach_msg_port_descriptor_t descriptor{5, 0, 0, MACH_MSG_TYPE_PORT_SEND, MACH_MSG_PORT_DESCRIPTOR};
  std::memcpy(descriptorBody.data() + sizeof oneDescriptor, &descriptor, sizeof descriptor);
  const mach_msg_size_t complexSize = mach_msg_size_t(sizeof(mach_msg_header_t) + descriptorBody.size());

  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
    bool withDescriptor;
  };
  const Case cases[] = {
      {"a few bytes", {1, 2, 3}, false},
      {"a wrong magic", packet(0x12345678, MACH_MSG_TYPE_PORT_SEND, 0, {}, header(plain, 24), {}), false},
      {"more rights than descriptors",
       packet(MachLayer::kEnvelopeMagic, MACH_MSG_TYPE_PORT_SEND, 1, {sendRight}, header(plain, 24), {}),
       false},
      {"a descriptor that no right names",
       packet(MachLayer::kEnvelopeMagic, MACH_MSG_TYPE_PORT_SEND, 1, {sendRight}, header(plain, 24), {}),
       true},
      {"a size that is not the message's",
       packet(MachLayer::kEnvelopeMagic, MACH_MSG_TYPE_PORT_SEND, 0, {}, header(plain, 64), {}), false},
      {"an unknown destination right",
       packet(MachLayer::kEnvelopeMagic, 3, 0, {}, header(MACH_MSGH_BITS(0, 3), 24), {}), false},
      {"a port descriptor without its right",
       packet(MachLayer::kEnvelopeMagic, MACH_MSG_TYPE_PORT_SEND, 0, {},
              header(plain | MACH_MSGH_BITS_COMPLEX, complexSize), descriptorBody),
       false},
      {"a send-once right where a send right belongs",
       packet(MachLayer::kEnvelopeMagic, MACH_MSG_TYPE_PORT_SEND, 1,
              {{1, uint32_t(MachLayer::RightKind::SendOnce), 0}},
              header(plain | MACH_MSGH_BITS_COMPLEX, complexSize), descriptorBody),
       true},
  };
  for (const Case& c : cases) {
    // The descriptor sent along is a pipe's writing end: once the peer has dropped the
    // message and closed what came with it, the pipe reports its end here.
    int pipeEnds[2];
    ASSERT_EQ(pipe2(pipeEnds, O_CLOEXEC), 0);
    iovec data{const_cast<uint8_t*>(c.bytes.data()), c.bytes.size()};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))];
    msghdr message{};
    message.msg_iov = &data;
    message.msg_iovlen = 1;
    if (c.withDescriptor) {
      message.msg_control = control;
      message.msg_controllen = sizeof control;
      cmsghdr* rights = CMSG_FIRSTHDR(&message);
      rights->cmsg_level = SOL_SOCKET;
      rights->cmsg_type = SCM_RIGHTS;
      rights->cmsg_len = CMSG_LEN(sizeof(int));
      std::memcpy(CMSG_DATA(rights), &pipeEnds[1], sizeof(int));
    }
    EXPECT_GT(sendmsg(raw, &message, MSG_NOSIGNAL), 0) << c.what;
    close(pipeEnds[1]);
    pollfd ended{pipeEnds[0], POLLIN, 0};
    EXPECT_EQ(poll(&ended, 1, 10000), 1) << c.what;
    char byte;
    EXPECT_EQ(read(pipeEnds[0], &byte, 1), 0) << c.what;
    close(pipeEnds[0]);
  }
  close(raw);

  Request request{};
  request.header.msgh_id = 1000;
  request.value = 42;
  Received answer{};
  ASSERT_EQ(call(request.header, sizeof request, answer), MACH_MSG_SUCCESS);
  EXPECT_EQ(answer.header.msgh_id, 1100);
}

TEST_F(MachAcrossProcesses, ARightIsTakenForAnotherProcessesPortOnlyWhenItLeadsThere) {
  MachLayer::ServiceAddress address;
  ASSERT_TRUE(MachLayer::serviceAddress(kService, address));
  const int raw = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
  ASSERT_EQ(connect(raw, reinterpret_cast<const sockaddr*>(&address.address), address.length), 0);
  // Two rights, each a connection whose far end is this process, both claiming one port: of
  // this process (believed, so they share a name over there), or of another (not believed).
  const struct {
    pid_t claimedOwner;
    const char* answer;
  } cases[] = {{getpid(), "same 1"}, {getpid() + 1, "same 0"}};
  for (const auto& c : cases) {
    int first[2], second[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, first), 0);
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, second), 0);
    const uint64_t identity = (uint64_t(uint32_t(c.claimedOwner)) << 32) | 0x5eed;
    const MachLayer::WireRight right{identity, uint32_t(MachLayer::RightKind::Send), 0};
    const MachLayer::WireEnvelope envelope{MachLayer::kEnvelopeMagic, MACH_MSG_TYPE_PORT_SEND, 2, 0};
    Ports message = twoPorts(1002, 1, 1, MACH_MSG_TYPE_PORT_SEND);
    message.header.msgh_bits |= MACH_MSGH_BITS(0, MACH_MSG_TYPE_PORT_SEND);
    message.header.msgh_size = sizeof message;
    std::vector<uint8_t> bytes(sizeof envelope + 2 * sizeof right + sizeof message);
    std::memcpy(bytes.data(), &envelope, sizeof envelope);
    std::memcpy(bytes.data() + sizeof envelope, &right, sizeof right);
    std::memcpy(bytes.data() + sizeof envelope + sizeof right, &right, sizeof right);
    std::memcpy(bytes.data() + sizeof envelope + 2 * sizeof right, &message, sizeof message);
    const int sent[2] = {first[1], second[1]};
    iovec data{bytes.data(), bytes.size()};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof sent)];
    msghdr packet{};
    packet.msg_iov = &data;
    packet.msg_iovlen = 1;
    packet.msg_control = control;
    packet.msg_controllen = sizeof control;
    cmsghdr* rights = CMSG_FIRSTHDR(&packet);
    rights->cmsg_level = SOL_SOCKET;
    rights->cmsg_type = SCM_RIGHTS;
    rights->cmsg_len = CMSG_LEN(sizeof sent);
    std::memcpy(CMSG_DATA(rights), sent, sizeof sent);
    ASSERT_GT(sendmsg(raw, &packet, MSG_NOSIGNAL), 0);
    EXPECT_EQ(mPeer.nextLine(), c.answer);
    for (int fd : {first[0], first[1], second[0], second[1]}) close(fd);
  }
  close(raw);
}

}  // namespace
