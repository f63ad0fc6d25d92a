// Hands the address GetHostAdaptersList answered back to ShowDeviceList, as a script
// engine keeps it: JScript holds what it cannot turn into a number as it came.
var corvath = new ActiveXObject("Corvath.CorvathObj");
var list = corvath.GetHostAdaptersList();
corvath.ShowDeviceList(list);
WScript.Echo("shown");
