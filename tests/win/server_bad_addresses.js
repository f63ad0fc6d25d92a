// Numbers that name none of the object's records, handed to every method that takes a
// record: each call is refused and opens nothing, and the host goes on. Then one real
// device record, which opens its sheet.
var corvath = new ActiveXObject("Corvath.CorvathObj");
var probe = new ActiveXObject("OrvTest.AddressProbe");
var list = corvath.GetHostAdaptersList();

// The array of an object that is gone (this one lives on, so the freed array cannot
// have become its own).
var other = new ActiveXObject("Corvath.CorvathObj");
var freed = other.GetHostAdaptersList();
other = null;
CollectGarbage();

var numbers = [
  ["0", 0],
  ["1", 1],
  ["stack", probe.StackAddress()],
  ["freed array", freed],
  ["one byte into a record", probe.Offset(list, 1)],
  ["one byte into a device", probe.Offset(probe.Device(list, 0, 0), 1)],
  ["a device slot past the listed ones", probe.Device(list, 0, 31)],
  ["past the array", probe.Device(list, 64, 0)]
];
function hex(n) { return (n >>> 0).toString(16).toUpperCase(); }
function attempt(what, call) {
  try {
    call();
    WScript.Echo(what + ": opened");
  } catch (e) {
    WScript.Echo(what + ": " + hex(e.number));
  }
}
for (var i = 0; i < numbers.length; ++i) {
  var name = numbers[i][0], n = numbers[i][1];
  attempt("ShowDeviceList(" + name + ")", function () { corvath.ShowDeviceList(n); });
  attempt("ShowHostAdapterProperty(" + name + ")", function () { corvath.ShowHostAdapterProperty(n, 0); });
  attempt("ShowDeviceProperty(" + name + ")", function () { corvath.ShowDeviceProperty(n); });
  attempt("ShowSeldarn(" + name + ")", function () { corvath.ShowSeldarn(n); });
}
// A record is no device, and a device no record.
attempt("ShowDeviceProperty(record)", function () { corvath.ShowDeviceProperty(list); });
attempt("ShowSeldarn(device)", function () { corvath.ShowSeldarn(probe.Device(list, 0, 0)); });
attempt("ShowDeviceProperty(device)", function () { corvath.ShowDeviceProperty(probe.Device(list, 0, 0)); });
