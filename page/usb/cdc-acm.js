// CDC-ACM: the USB class for serial lines (many microcontroller adapters).
// The line coding and the control lines are class requests to the
// communications interface; the bytes go through the data interface's bulk
// endpoints as they are.
const CdcSetLineCoding = 0x20;
const CdcSetControlLineState = 0x22;
const CdcCommunicationsClass = 0x02;
const CdcDataClass = 0x0a;
const CdcDtr = 0x01;
const CdcRts = 0x02;

function cdcAlternate(iface) {
  return iface.alternate ?? iface.alternates?.[0];
}

// The line coding: rate, stop bits (0: one, 2: two), parity (0 none, 1 odd,
// 2 even), data bits.
export function cdcLineCoding({ baudRate, dataBits = 8, stopBits = 1, parity = "none" }) {
  const bytes = new Uint8Array(7);
  new DataView(bytes.buffer).setUint32(0, baudRate, true);
  bytes[4] = stopBits === 2 ? 2 : 0;
  bytes[5] = { none: 0, odd: 1, even: 2 }[parity] ?? 0;
  bytes[6] = dataBits;
  return bytes;
}

export const CdcAcmDriver = {
  title: () => "CDC-ACM",
  matches(device) {
    const interfaces = device.configuration?.interfaces ?? device.configurations?.[0]?.interfaces ?? [];
    const classes = interfaces.map((i) => cdcAlternate(i)?.interfaceClass);
    return classes.includes(CdcCommunicationsClass) && classes.includes(CdcDataClass);
  },
  async setup(usb, options) {
    const interfaces = usb.interfaces();
    const control = interfaces.find((i) => cdcAlternate(i)?.interfaceClass === CdcCommunicationsClass);
    const data = interfaces.find((i) => cdcAlternate(i)?.interfaceClass === CdcDataClass);
    const ends = usb.bulk(data.interfaceNumber);
    const index = control.interfaceNumber;
    await usb.claim(index);
    await usb.claim(data.interfaceNumber);
    await usb.out("class", "interface", CdcSetLineCoding, 0, index, cdcLineCoding(options));
    await usb.out("class", "interface", CdcSetControlLineState, CdcDtr | CdcRts, index);
    return { interfaces: [data.interfaceNumber, index], ...ends };
  },
};
