// Prints the number of host adapters on the bus, calling Corvath by name.
var corvath = new ActiveXObject("Corvath.CorvathObj");
WScript.Echo("adapters: " + corvath.GetHostAdaptersCount());
