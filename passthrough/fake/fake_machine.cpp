// The machine of the tests. Its devices are described in the simulated manager's bus
// format (simulator/README.md), one simulated adapter per bus of the machine; the ports,
// class devices, device nodes and device map are placed around them below.
#include <cstdlib>

#include "passthrough/fake/fake_system.h"
#include "simulator/bus_parser.h"

namespace pt::fake {

namespace {

constexpr const char* kBuses = R"(
# 0: SATA controller, bus 0 (SATA port 0): nothing attached.
adapter 0

# 1: SATA controller, bus 1: an optical drive with a DVD in it. Like any MMC device it
# knows MODE SENSE(10) only.
adapter 1
  device 0
    inquiry    05 80 00 32 1F 00 00 00 "ORBITEK " "DVD-RW DH8A3S   " "HP5B"
    capacity   2295104 2048
    fault 1A check 05 20 00
    fault 37 check 05 20 00

# 2: SAS host bus adapter.
adapter 2
  # An 18 TB SAS disk of 4096-byte blocks: READ CAPACITY(10) cannot tell its size.
  device 0
    # Standard INQUIRY data of 96 bytes: the serial number and version descriptors follow.
    inquiry    00 00 06 12 5B 00 10 02 "HALDEN  " "HX18T4KN-SAS    " "C2A4" "ZR52K0QH0000C1234567" 00 00 00 A0 04 60 04 C0 0C 60 13 E0 00*28
    capacity   4394582016 4096
    page 01 current    01 0A C0 14 FF 00 00 00 05 00 FF FF
    page 01 changeable 01 0A FF FF 00 00 00 00 FF 00 FF FF
    page 01 default    01 0A 80 14 FF 00 00 00 05 00 FF FF
    page 02 current    02 0E 00 00 00 00 00 00 00 00 00 00 00 00 00 00
    page 02 changeable 02 0E 00 00 FF FF FF FF FF FF FF FF 00 00 00 00
    page 08 current    08 12 14 00 FF FF 00 00 FF FF FF FF 80 20 00 00 00 00 00 00
    page 08 changeable 08 12 15 00 FF FF FF FF FF FF FF FF A0 FF 00 00 00 00 00 00
    page 0A current    0A 0A 02 10 00 00 00 00 FF FF 3A 98
    page 0A changeable 0A 0A 07 F2 08 00 00 00 00 00 00 00
    page 1C current    1C 0A 10 04 00 00 00 00 00 00 00 00
    page 1C changeable 1C 0A 8D 0F FF FF FF FF FF FF FF FF
    plist      1204/0/88 1204/1/89 20117/3/1021 45012/5/330 118204/2/71 240455/7/12
    glist      77120/4/512

  # A SATA disk behind the HBA's translation layer: emulated pages, no defect lists.
  device 1
    inquiry    00 00 06 02 1F 00 00 02 "ATA     " "QX1000NM0011    " "SN04"
    capacity   1953525168 512
    page 01 current    01 0A 80 00 00 00 00 00 00 00 00 00
    page 08 current    08 12 04 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00
    page 08 changeable 08 12 04 00 00 00 00 00 00 00 00 00 20 00 00 00 00 00 00 00
    page 0A current    0A 0A 02 00 00 00 00 00 FF FF 00 00
    page 1C current    1C 0A 00 00 00 00 00 00 00 00 00 00
    page 1C changeable 1C 0A 08 00 00 00 00 00 00 00 00 00
    fault 37 check 05 20 00

  # A dual-ported SAS tape drive.
  device 2
    inquiry    01 80 06 02 1F 00 10 02 "TESSELL " "LT8 TAPE DRIVE  " "N7C1"
    page 0F current    0F 0E C0 80 00 00 00 01 00 00 00 01 00 00 00 00
    page 0F changeable 0F 0E C0 00 00 00 00 00 00 00 00 00 00 00 00 00
    page 10 current    10 0E 00 00 00 00 00 00 00 28 18 00 00 00 00 00
    fault 37 check 05 20 00

  # The backplane's enclosure processor: no class driver takes it.
  device 3
    inquiry    03 00 05 02 1F 00 00 00 "QUORIX  " "BP12 SAF-TE     " "1.07"
    fault 1A check 05 20 00
    fault 37 check 05 20 00

# 3: an adapter of the maker on its own miniport driver, which also answers the suite's
# miniport requests: the card's serial EEPROM (channel A block at 00, channel B at 40)
# and the rate negotiated with each target. A wide Ultra320 disk at target 4.
adapter 3
  port 2 kestrdrv D000
  eeprom 00    88 16 88 16 88 16 88 16 19 06 0A 16 88 16 88 16
  eeprom 10    88 16 88 16 88 16 88 16 88 16 88 16 88 16 88 16
  eeprom 20    F4 19 03 04 07 00 10 00 40 03 00 00 00 00 00 00
  eeprom 30    00 00 00 00 00 00 00 00 00 00 00 00 00 04 E1 7C
  eeprom 40    88 16 88 16 88 16 88 16 88 16 88 16 3F 06 88 16
  eeprom 50    88 16 88 16 88 16 88 16 88 16 88 16 88 16 88 16
  eeprom 60    F4 19 03 04 07 00 10 20 40 03 00 00 00 00 00 00
  eeprom 70    00 00 00 00 00 00 00 00 00 00 00 00 00 04 85 9D
  device 4
    inquiry    00 00 03 02 1F 00 00 3A "NORVEX  " "NX73-U320       " "B210"
    capacity   143374744 512
    rate       1600 x2
    page 01 current    01 0A C0 0B 00 00 00 00 05 00 FF FF
    page 01 changeable 01 0A FF FF 00 00 00 00 FF 00 FF FF
    page 08 current    08 12 04 00 FF FF 00 00 02 00 FF FF 80 10 00 00 00 00 00 00
    page 08 changeable 08 12 05 00 FF FF FF FF FF FF FF FF A0 FF 00 00 00 00 00 00
    page 0A current    0A 0A 02 10 00 00 00 00 00 00 08 40
    plist      310/2/17 8120/0/401

# 4: USB attached SCSI: a flash drive that answers pages it lacks with no page.
adapter 4
  device 0
    inquiry    00 80 06 02 1F 00 00 00 "LUMERA  " "FLASH DRIVE U3  " "1100"
    capacity   60555264 512
    missing-page empty
    fault 37 check 05 20 00
)";

constexpr const char* kInterfaceGuid = "#{2accfe60-c130-11d2-b082-00a0c91efb8b}";

Bus busOf(const sim::Adapter& adapter) {
  Bus bus;
  bus.initiatorId = adapter.scsiId;
  for (const sim::Device& d : adapter.devices) {
    Unit u;
    u.device = d;
    bus.units.push_back(std::move(u));
  }
  return bus;
}

Resource memory(uint64_t base, bool prefetchable = false) {
  return Resource{Resource::Kind::Memory, base, prefetchable};
}
Resource io(uint64_t base) { return Resource{Resource::Kind::Io, base, false}; }
Resource interrupt(uint64_t number) { return Resource{Resource::Kind::Interrupt, number, false}; }

PortNode pciNode(const char* service, uint32_t bus, uint32_t device, uint32_t function,
                 std::vector<std::string> hardwareIds, std::vector<std::string> compatibleIds,
                 const std::string& instance, std::vector<Resource> resources) {
  PortNode n;
  n.interfacePath = "\\\\?\\" + instance + kInterfaceGuid;
  n.service = service;
  n.enumerator = "PCI";
  n.hardwareIds = std::move(hardwareIds);
  n.compatibleIds = std::move(compatibleIds);
  n.hasLocation = true;
  n.busNumber = bus;
  n.address = (device << 16) | function;
  n.resources = std::move(resources);
  return n;
}

}  // namespace

Machine standardMachine() {
  sim::ParseResult parsed = sim::parseBus(kBuses, "fake machine");
  // The description is part of this program: a fault in it is a fault of the build.
  if (!parsed.ok) std::abort();
  const std::vector<sim::Adapter>& buses = parsed.bus.adapters;

  Machine m;
  m.miniports = kBuses;
  m.deviceMap = {{"Scsi Port 4", "uaspstor"}, {"Scsi Port 0", "storahci"}, {"Scsi Port 2", "kestrdrv"},
                 {"Scsi Port 1", "sashba"},   {"Scsi Port 3", "oldraid"}};  // port 3 was removed

  Port ahci;
  ahci.number = 0;
  ahci.buses = {busOf(buses[0]), busOf(buses[1])};
  ahci.maxTransfer = 0x20000;
  ahci.alignmentMask = 1;
  ahci.busType = 0x0B;  // SATA
  ahci.node = pciNode("storahci", 0, 0x17, 0,
                      {"PCI\\VEN_1E4F&DEV_A352&SUBSYS_86941E4F&REV_10", "PCI\\VEN_1E4F&DEV_A352&SUBSYS_86941E4F",
                       "PCI\\VEN_1E4F&DEV_A352&CC_010601", "PCI\\VEN_1E4F&DEV_A352&CC_0106"},
                      {"PCI\\VEN_1E4F&DEV_A352&REV_10", "PCI\\VEN_1E4F&DEV_A352", "PCI\\VEN_1E4F&CC_010601",
                       "PCI\\VEN_1E4F&CC_0106", "PCI\\VEN_1E4F", "PCI\\CC_010601", "PCI\\CC_0106"},
                      "pci#ven_1e4f&dev_a352&subsys_86941e4f&rev_10#3&11583659&0&b8",
                      {memory(0xF7B48000), memory(0xF7B4C000), io(0xF090), io(0xF080), io(0xF060),
                       memory(0xF7B4B000), interrupt(0xFFFFFFFE)});
  m.ports.push_back(ahci);

  Port sas;
  sas.number = 1;
  sas.buses = {busOf(buses[2])};
  sas.maxTransfer = 0x100000;
  sas.alignmentMask = 3;
  sas.busType = 0x0A;  // SAS
  sas.node = pciNode("sashba", 3, 0, 0,
                     {"PCI\\VEN_1F2C&DEV_0097&SUBSYS_30901F2C&REV_02", "PCI\\VEN_1F2C&DEV_0097&SUBSYS_30901F2C",
                      "PCI\\VEN_1F2C&DEV_0097&CC_010700", "PCI\\VEN_1F2C&DEV_0097&CC_0107"},
                     {"PCI\\VEN_1F2C&DEV_0097&REV_02", "PCI\\VEN_1F2C&DEV_0097", "PCI\\VEN_1F2C&CC_010700",
                      "PCI\\VEN_1F2C&CC_0107", "PCI\\VEN_1F2C", "PCI\\CC_010700", "PCI\\CC_0107"},
                     "pci#ven_1f2c&dev_0097&subsys_30901f2c&rev_02#4&2a8c47b&0&0010",
                     {io(0xE000), memory(0xDF240000), memory(0x3810000000ull, true), interrupt(16)});
  m.ports.push_back(sas);

  Port maker;
  maker.number = 2;
  maker.buses = {busOf(buses[3])};
  maker.maxTransfer = 0x1000000;
  maker.alignmentMask = 3;
  maker.busType = 0x01;  // SCSI
  // An older miniport: its device interface does not tell the port number.
  maker.nodeTellsPort = false;
  maker.node = pciNode("kestrdrv", 0, 0x0C, 0,
                       {"PCI\\VEN_1D5A&DEV_5C40&SUBSYS_4C201D5A&REV_01", "PCI\\VEN_1D5A&DEV_5C40&SUBSYS_4C201D5A",
                        "PCI\\VEN_1D5A&DEV_5C40&CC_010000", "PCI\\VEN_1D5A&DEV_5C40&CC_0100"},
                       {"PCI\\VEN_1D5A&DEV_5C40&REV_01", "PCI\\VEN_1D5A&DEV_5C40", "PCI\\VEN_1D5A&CC_010000",
                        "PCI\\VEN_1D5A&CC_0100", "PCI\\VEN_1D5A", "PCI\\CC_010000", "PCI\\CC_0100"},
                       "pci#ven_1d5a&dev_5c40&subsys_4c201d5a&rev_01#3&11583659&0&60", {io(0xD000), memory(0xFEBFE000), interrupt(11)});
  m.ports.push_back(maker);

  Port uas;
  uas.number = 4;
  uas.buses = {busOf(buses[4])};
  uas.maxTransfer = 0x10000;
  uas.alignmentMask = 0x1FF;
  uas.busType = 0x07;  // USB
  uas.node.interfacePath = std::string("\\\\?\\usb#vid_1e4f&pid_6003#0123456789ab") + kInterfaceGuid;
  uas.node.service = "uaspstor";
  uas.node.enumerator = "USB";
  uas.node.hardwareIds = {"USB\\VID_1E4F&PID_6003&REV_0110", "USB\\VID_1E4F&PID_6003"};
  uas.node.compatibleIds = {"USB\\Class_08&SubClass_06&Prot_62", "USB\\Class_08&SubClass_06", "USB\\Class_08"};
  uas.node.hasLocation = true;
  uas.node.address = 4;
  m.ports.push_back(uas);

  m.classDevices = {
      {"\\\\.\\PhysicalDrive0", true, {1, 0, 0, 0}},
      {"\\\\.\\PhysicalDrive1", true, {1, 0, 1, 0}},
      {"\\\\.\\PhysicalDrive2", true, {4, 0, 0, 0}},
      {"\\\\.\\PhysicalDrive3", false, {}},  // a virtual disk on no SCSI port
      {"\\\\.\\PhysicalDrive4", true, {2, 0, 4, 0}},
      {"\\\\.\\CdRom0", true, {0, 1, 0, 0}},
      {"\\\\.\\Tape0", true, {1, 0, 2, 0}},
  };
  for (const ClassDevice& d : m.classDevices)
    for (Port& port : m.ports)
      if (d.answersAddress && port.number == d.address.port && d.address.path < port.buses.size())
        for (Unit& u : port.buses[d.address.path].units)
          if (u.device.target == d.address.target && u.lun == d.address.lun) u.claimed = true;
  return m;
}

Machine wineMachine() {
  const Machine standard = standardMachine();
  Machine m;
  m.deviceMap = {{"Scsi Port 0", "sr"}};
  Port port = standard.ports[0];  // the SATA controller, its optical drive on bus 1
  port.portDevice = false;
  port.hasNode = false;
  m.ports = {port};
  m.classDevices = {{"\\\\.\\CdRom0", false, {}}, {"\\\\.\\D:", true, {0, 1, 0, 0}}};
  m.opticalDrives = {"\\\\.\\D:"};
  return m;
}

}  // namespace pt::fake
