// The one way the page's views build an element: its properties, then its children.
export function element<K extends keyof HTMLElementTagNameMap>(doc: Document, tag: K, props: Partial<HTMLElementTagNameMap[K]> = {},
                                                               ...children: (Node | string)[]): HTMLElementTagNameMap[K] {
    const e = doc.createElement(tag);
    Object.assign(e, props);
    e.append(...children);
    return e;
}
